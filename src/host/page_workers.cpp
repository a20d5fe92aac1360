#include "host/page_workers.h"

#include <cstdio>
#include <exception>

namespace host {

PageWorkers::PageWorkers(size_t threads) {
  for (size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

PageWorkers::~PageWorkers() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    dropped.swap(jobs_);
  }
  wake_.notify_all();
  for (auto& thread : threads_) thread.join();
}

void PageWorkers::Submit(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void PageWorkers::Work() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    try {
      job();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "qe serve: a page failed: %s\n", e.what());
    } catch (...) {
      std::fprintf(stderr, "qe serve: a page failed\n");
    }
  }
}

}  // namespace host
