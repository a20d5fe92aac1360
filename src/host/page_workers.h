#pragma once
// A fixed number of threads that run pages, one page each at a time; pages
// wait their turn in the order they came. Nothing but pages runs here:
// reading requests and sending files stay with the connections' event loop.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace host {

class PageWorkers {
 public:
  explicit PageWorkers(size_t threads);
  // Waits for the pages that run; those still waiting are dropped.
  ~PageWorkers();
  PageWorkers(const PageWorkers&) = delete;
  PageWorkers& operator=(const PageWorkers&) = delete;

  void Submit(std::function<void()> job);

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace host
