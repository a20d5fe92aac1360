#pragma once
// The memory of one reading of a text by gumbo: its blocks come from a few
// large chunks, the small ones kept by size for reuse as the reader gives
// them back, and all go at once when the reading ends or is abandoned. A
// reader asks for and gives back many small blocks a character (its tokens,
// names and buffers); taking them from memory it has just used costs a
// fraction of the general allocator's work and touches few new pages.
//
// What it holds at once (the sizes the reader asked for and has not given
// back) stays within a budget, and what it occupies (every small block ever
// carved, reused or not, and the large blocks held) within twice that: past
// either the reading is abandoned (longjmp to `exhausted`).
#include <csetjmp>
#include <cstddef>

namespace qe {

class ReaderMemory {
 public:
  // `expected`: what the reading likely occupies, taken at once so that its
  // pages need not be found one by one.
  ReaderMemory(size_t budget, size_t expected);
  ~ReaderMemory();
  ReaderMemory(const ReaderMemory&) = delete;
  ReaderMemory& operator=(const ReaderMemory&) = delete;

  // For gumbo's allocator and deallocator (the userdata is the ReaderMemory).
  static void* Allocate(void* memory, size_t size);
  static void Release(void* memory, void* block);

  size_t Held() const { return held_; }

  // Where Allocate goes when the budget is spent; set before the reading.
  std::jmp_buf exhausted;

 private:
  struct Chunk;
  struct Large;
  static constexpr size_t kSlot = 16;              // small blocks come in multiples of it, their word included
  static constexpr size_t kLargestSmall = 1024;    // larger ones come from the general allocator
  static constexpr size_t kClasses = kLargestSmall / kSlot + 1;

  void* AllocateSmall(size_t size);
  void NewChunk(size_t bytes);
  void* AllocateLarge(size_t size);
  void Occupy(size_t size);

  size_t budget_;
  size_t held_ = 0;
  size_t occupied_ = 0;
  size_t next_chunk_;
  Chunk* chunks_ = nullptr;
  char* free_start_ = nullptr;  // the unused rest of the newest chunk
  char* free_end_ = nullptr;
  void* reusable_[kClasses] = {};  // given-back small blocks, by their slots
  Large* large_ = nullptr;
};

}  // namespace qe
