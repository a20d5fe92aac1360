// Spools under a shared memory budget: past it a spool goes to its file from
// the first byte, reads back the same, and gives its memory back when done.
#include "host/spool.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ReadBack(const host::Spool& spool) {
  std::string bytes(spool.Size(), '\0');
  EXPECT_EQ(spool.ReadAt(0, bytes.data(), bytes.size()), bytes.size());
  return bytes;
}

TEST(SpoolBudget, PastTheBudgetBytesGoToAFileAndTheBudgetComesBack) {
  host::MemoryBudget budget(300 * 1024);
  const std::string large(200 * 1024, 'a'), medium(150 * 1024, 'b');
  {
    host::Spool first(&budget);
    first.Append(large);
    EXPECT_TRUE(first.InMemory());
    EXPECT_GE(budget.Used(), large.size());

    host::Spool second(&budget);
    second.Append(medium.substr(0, 1000));
    second.Append(medium.substr(1000));
    EXPECT_FALSE(second.InMemory()) << "no room left in the budget";
    EXPECT_EQ(ReadBack(second), medium);
    EXPECT_EQ(ReadBack(first), large);

    // Past its own limit a spool moves to its file and frees what it took.
    first.Append(std::string(host::Spool::kMemoryLimit, 'c'));
    EXPECT_FALSE(first.InMemory());
    EXPECT_EQ(budget.Used(), 0u);
    host::Spool third(&budget);
    third.Append(medium);
    EXPECT_TRUE(third.InMemory());
  }
  EXPECT_EQ(budget.Used(), 0u);
}

// A spool's file counts against the server's disk budget and its client's
// share, the bytes moved there from memory included; a refusal takes
// nothing, and a spool that goes gives back all it held.
TEST(SpoolBudget, AFileCountsAgainstTheDiskAndTheClientsShare) {
  host::MemoryBudget memory(64 << 20), disk(1 << 20);
  host::ClientShares shares(768 * 1024);
  const std::string piece(100 * 1024, 'x');
  auto fill = [&](host::Spool& spool, size_t bytes) {
    size_t held = 0;
    while (held < bytes && spool.Append(piece)) held += piece.size();
    return held;
  };
  {
    host::Spool whole(&memory, host::DiskAccount{&disk, nullptr, "a"});
    EXPECT_EQ(fill(whole, 1200 * 1024), 1000u * 1024) << "the disk holds 1 MiB, what came from memory included";
    EXPECT_FALSE(whole.InMemory());
  }
  EXPECT_EQ(disk.Used(), 0u);
  {
    host::Spool first(&memory, host::DiskAccount{&disk, &shares, "a"});
    EXPECT_EQ(fill(first, 1200 * 1024), 700u * 1024) << "a client holds 768 KiB of it";
    host::Spool second(&memory, host::DiskAccount{&disk, &shares, "a"});
    EXPECT_EQ(fill(second, 1200 * 1024), 200u * 1024) << "past its share the client gets no more disk";
    host::Spool other(&memory, host::DiskAccount{&disk, &shares, "b"});
    EXPECT_EQ(fill(other, 300 * 1024), 300u * 1024) << "another client does";
  }
  EXPECT_EQ(disk.Used(), 0u);
  host::Spool again(&memory, host::DiskAccount{&disk, &shares, "a"});
  EXPECT_EQ(fill(again, 700 * 1024), 700u * 1024) << "the share came back";
}

}  // namespace
