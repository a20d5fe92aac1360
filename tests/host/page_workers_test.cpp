// Pages wait their turn client by client: one client's many pages hold
// another client's page behind one of them at most.
#include "host/page_workers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(PageWorkers, AClientsManyPagesLetAnotherClientsPageThroughNext) {
  std::mutex mutex;
  std::vector<std::string> ran;
  std::atomic<bool> started{false}, open{false};
  {
    host::PageWorkers workers(1);
    // The one worker waits in the first page while the others queue.
    workers.Submit("flood", [&] {
      started = true;
      while (!open) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      std::lock_guard lock(mutex);
      ran.push_back("flood");
    });
    while (!started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    for (int i = 0; i < 5; ++i)
      workers.Submit("flood", [&] {
        std::lock_guard lock(mutex);
        ran.push_back("flood");
      });
    workers.Submit("visitor", [&] {
      std::lock_guard lock(mutex);
      ran.push_back("visitor");
    });
    open = true;
    for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         std::chrono::steady_clock::now() < deadline;) {
      {
        std::lock_guard lock(mutex);
        if (ran.size() == 7) break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  ASSERT_EQ(ran.size(), 7u);
  // After the page running and the one whose turn came before it.
  EXPECT_EQ(std::find(ran.begin(), ran.end(), "visitor") - ran.begin(), 2);
}

}  // namespace
