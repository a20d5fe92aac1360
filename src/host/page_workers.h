#pragma once
// A fixed number of threads that run pages, one page each at a time. Pages
// wait their turn client by client: the next free worker takes the oldest
// page of the client with the fewest pages running (of those, the one whose
// turn it is), so a client with many pages waiting (a flood of forms) holds
// no other client's page behind all of its own: that one runs as soon as a
// worker is free. Nothing but pages runs here: reading requests and sending
// files stay with the connections' event loop.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace host {

class PageWorkers {
 public:
  explicit PageWorkers(size_t threads);
  // Waits for the pages that run; those still waiting are dropped.
  ~PageWorkers();
  PageWorkers(const PageWorkers&) = delete;
  PageWorkers& operator=(const PageWorkers&) = delete;

  // A page of `client` (its address, as the connection limits count it).
  void Submit(const std::string& client, std::function<void()> job);

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::unordered_map<std::string, std::deque<std::function<void()>>> waiting_;  // by client
  std::deque<std::string> turns_;  // the clients with pages waiting, in the order of their turns
  std::unordered_map<std::string, size_t> running_;  // pages running, by client
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace host
