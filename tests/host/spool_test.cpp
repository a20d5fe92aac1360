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

}  // namespace
