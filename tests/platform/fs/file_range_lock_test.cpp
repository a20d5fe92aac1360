// A range lock that stands for its file's name (the maintenance lock of a
// site is one): whoever holds it holds the file the name stands for.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

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

// A lock let go before its time (as the readers' turn is) leaves its number
// to be reused: its end must not close what holds that number by then.
TEST(FileRangeLock, ALockLetGoEarlyLeavesItsNumberToTheNextFile) {
  struct EarlyLock : FileRangeLock {
    using FileRangeLock::FileRangeLock;
    using FileRangeLock::Descriptor;
    using FileRangeLock::Release;
  };
  qe_test::TempSite site;
  std::ofstream(site.Host("site/other.txt")) << "other";
  auto lock = std::make_unique<EarlyLock>(site.Host("site/.lock"), FileRangeLock::kWrite, FileRangeLock::Range{}, 0ms, 1ms);
  ASSERT_TRUE(lock->Held());
  const int number = lock->Descriptor();
  lock->Release();
  EXPECT_FALSE(lock->Held());
  const int opened = ::open(site.Host("site/other.txt").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(opened, 0);
  if (opened != number) {  // the number reused, as the next open takes it unless a lower one is free
    ASSERT_EQ(::dup3(opened, number, O_CLOEXEC), number);
    ::close(opened);
  }
  lock.reset();
  char read[8] = {};
  EXPECT_EQ(::pread(number, read, sizeof read, 0), 5) << "the other file's descriptor was closed";
  EXPECT_STREQ(read, "other");
  ::close(number);
}

}  // namespace
