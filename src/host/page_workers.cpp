#include "host/page_workers.h"

#include <cstdint>
#include <cstdio>
#include <exception>

namespace host {

PageWorkers::PageWorkers(size_t threads) {
  for (size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

PageWorkers::~PageWorkers() {
  std::unordered_map<std::string, std::deque<std::function<void()>>> dropped;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    dropped.swap(waiting_);
    turns_.clear();
  }
  wake_.notify_all();
  for (auto& thread : threads_) thread.join();
}

void PageWorkers::Submit(const std::string& client, std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    std::deque<std::function<void()>>& pages = waiting_[client];
    if (pages.empty()) turns_.push_back(client);
    pages.push_back(std::move(job));
  }
  wake_.notify_one();
}

void PageWorkers::Work() {
  for (;;) {
    std::function<void()> job;
    std::string client;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !turns_.empty(); });
      if (stopping_) return;
      auto next = turns_.begin();
      size_t fewest = SIZE_MAX;
      for (auto turn = turns_.begin(); turn != turns_.end() && fewest > 0; ++turn) {
        auto found = running_.find(*turn);
        size_t running = found == running_.end() ? 0 : found->second;
        if (running < fewest) fewest = running, next = turn;
      }
      client = std::move(*next);
      turns_.erase(next);
      auto pages = waiting_.find(client);
      job = std::move(pages->second.front());
      pages->second.pop_front();
      if (pages->second.empty()) waiting_.erase(pages);
      else turns_.push_back(client);  // its next page waits for the others' turns
      ++running_[client];
    }
    try {
      job();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "qe serve: a page failed: %s\n", e.what());
    } catch (...) {
      std::fprintf(stderr, "qe serve: a page failed\n");
    }
    job = nullptr;  // what the page held goes before its client's count
    std::lock_guard lock(mutex_);
    if (auto found = running_.find(client); found != running_.end() && --found->second == 0) running_.erase(found);
  }
}

}  // namespace host
