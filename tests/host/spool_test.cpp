// Spools under a shared memory budget: past it a spool goes to its file from
// the first byte, reads back the same, and gives its memory back when done;
// a body its page has read gives back its file before the page ends.
#include "host/spool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
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

// A body its page has read to its end gives back its file and its disk at
// once, while the page goes on (it may wait long on a database's lock); one
// read part way keeps them.
TEST(SpoolBudget, ABodyReadToItsEndGivesItsFileBackWhileItsPageGoesOn) {
  host::MemoryBudget memory(64 << 20), disk(1 << 20);
  auto spool = std::make_shared<host::Spool>(&memory, host::DiskAccount{&disk, nullptr, "a"});
  std::string sent(600 * 1000, '\0');
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i % 251);
  ASSERT_TRUE(spool->Append(sent));
  ASSERT_FALSE(spool->InMemory());
  const std::weak_ptr<const host::Spool> file = spool;
  host::SpooledBody body(std::move(spool));

  std::string read(sent.size(), '\0');
  size_t at = 0;
  auto read_to = [&](size_t end) {
    while (at < end) {
      size_t count = body.Read(reinterpret_cast<uint8_t*>(read.data()) + at, std::min<size_t>(end - at, 64 * 1024));
      ASSERT_GT(count, 0u);
      at += count;
    }
  };
  read_to(sent.size() - 1);
  EXPECT_FALSE(file.expired()) << "one byte is left to read";
  EXPECT_EQ(disk.Used(), sent.size());
  read_to(sent.size());
  EXPECT_TRUE(file.expired());
  EXPECT_EQ(disk.Used(), 0u);
  EXPECT_EQ(read, sent);
  uint8_t past = 0;
  EXPECT_EQ(body.Read(&past, 1), 0u);
  EXPECT_EQ(body.Length(), sent.size());
}

}  // namespace
