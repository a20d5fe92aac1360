// The memory of one reading: blocks of every size keep what is written in
// them apart, a block given back is used again instead of new memory, and
// past its budget the reading is abandoned with everything given back (the
// sanitizer finds what is not).
#include "common/reader_memory.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using qe::ReaderMemory;

void* Allocate(ReaderMemory& memory, size_t size) { return ReaderMemory::Allocate(&memory, size); }
void Release(ReaderMemory& memory, void* block) { ReaderMemory::Release(&memory, block); }

// Whether `work` runs to its end within the memory's budget.
template <class Work>
bool Within(ReaderMemory& memory, Work work) {
  if (setjmp(memory.exhausted) != 0) return false;
  work();
  return true;
}

TEST(ReaderMemory, BlocksOfEverySizeKeepTheirBytesApart) {
  ReaderMemory memory(64u << 20, 0);
  struct Block {
    uint8_t* at;
    size_t size;
  };
  std::vector<Block> blocks;
  ASSERT_TRUE(Within(memory, [&] {
    for (size_t i = 0; i < 3000; ++i) {
      const size_t size = (i * 37) % 2100;  // small and large, 0 included
      auto* at = static_cast<uint8_t*>(Allocate(memory, size));
      ASSERT_EQ(reinterpret_cast<uintptr_t>(at) % alignof(void*), 0u);
      std::memset(at, static_cast<int>(i), size);
      blocks.push_back({at, size});
      if (i % 3 == 0) {  // some given back, their memory used again
        Release(memory, blocks[i / 2].at);
        blocks[i / 2].size = 0;
      }
    }
  }));
  for (size_t i = 0; i < blocks.size(); ++i)
    for (size_t j = 0; j < blocks[i].size; ++j) ASSERT_EQ(blocks[i].at[j], static_cast<uint8_t>(i)) << i;
}

TEST(ReaderMemory, WhatIsGivenBackIsUsedAgainAndNoLongerHeld) {
  ReaderMemory memory(1u << 20, 0);
  EXPECT_TRUE(Within(memory, [&] {
    // Many times the budget, a block at a time: small, then large.
    for (int i = 0; i < 100000; ++i) Release(memory, Allocate(memory, 16 + i % 64));
    for (int i = 0; i < 100; ++i) Release(memory, Allocate(memory, 400000));
  }));
  EXPECT_EQ(memory.Held(), 0u);
  void* block = nullptr;
  EXPECT_TRUE(Within(memory, [&] { block = Allocate(memory, 100); }));
  Release(memory, block);
  EXPECT_TRUE(Within(memory, [&] { EXPECT_EQ(Allocate(memory, 100), block); }));
}

TEST(ReaderMemory, PastItsBudgetAReadingIsAbandoned) {
  for (const size_t size : {size_t{40}, size_t{5000}}) {
    ReaderMemory memory(1u << 20, 1u << 20);
    size_t held = 0;
    EXPECT_FALSE(Within(memory, [&] {
      for (;;) {
        Allocate(memory, size);
        held += size;
      }
    }));
    // Within the budget until the block that would pass it.
    EXPECT_EQ(memory.Held(), held);
    EXPECT_LE(held, 1u << 20);
    EXPECT_GT(held + size, (1u << 20) * 3 / 4) << size;
  }
}

}  // namespace
