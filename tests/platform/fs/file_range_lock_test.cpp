// A range lock that stands for its file's name (the maintenance lock of a
// site is one): whoever holds it holds the file the name stands for.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "platform/fs/file_range_lock.h"
#include "support/temp_site.h"

namespace {

using namespace std::chrono_literals;
using fs::FileRangeLock;

// How many descriptors of this process have the file `name` open.
int OpenedHere(const std::filesystem::path& name) {
  int count = 0;
  std::error_code error;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", error))
    count += std::filesystem::read_symlink(fd.path(), error) == name;
  return count;
}

// The file is replaced while a second holder waits for the first: once it
// has the lock, it holds the file the name now stands for, so a third one
// waits for it instead of taking the new file as if nobody held it.
TEST(FileRangeLock, AWaiterEndsUpHoldingTheFileTheNameStandsFor) {
  qe_test::TempSite site;
  const std::filesystem::path lock = site.Host("site/.lock");
  auto first = std::make_unique<FileRangeLock>(lock, FileRangeLock::kWrite, FileRangeLock::Range{}, 0ms, 1ms);
  ASSERT_TRUE(first->Held());
  std::unique_ptr<FileRangeLock> second;
  std::thread waiter([&] {
    second = std::make_unique<FileRangeLock>(lock, FileRangeLock::kWrite, FileRangeLock::Range{}, 10s, 1ms);
  });
  while (OpenedHere(lock) < 2) std::this_thread::sleep_for(1ms);
  std::ofstream(site.Host("site/.lock.new")) << "";
  std::filesystem::rename(site.Host("site/.lock.new"), lock);
  first.reset();
  waiter.join();
  ASSERT_TRUE(second->Held());
  EXPECT_FALSE(FileRangeLock(lock, FileRangeLock::kWrite, FileRangeLock::Range{}, 0ms, 1ms).Held());
  second.reset();
  EXPECT_TRUE(FileRangeLock(lock, FileRangeLock::kWrite, FileRangeLock::Range{}, 0ms, 1ms).Held());
}

}  // namespace
