#include "common/reader_memory.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace qe {

// A small block is its slots: one word, then what the reader asked for. The
// word holds the slots' number and the size asked for; a large block's word
// is 0, after its place on the list.
struct alignas(16) ReaderMemory::Chunk {
  Chunk* next;
};
struct alignas(16) ReaderMemory::Large {
  Large* previous;
  Large* next;
  size_t size;
  size_t word;
};

namespace {

constexpr size_t kWord = sizeof(size_t);
constexpr unsigned kSizeShift = 16;
constexpr size_t kLeastChunk = 64u << 10;
constexpr size_t kMostChunk = 8u << 20;
constexpr size_t kHuge = 2u << 20;

// A chunk of whole huge pages where the system gives them: a large reading
// faults its memory in a few times instead of at every page.
void* HugeChunk(size_t& size) {
  size = (size + kHuge - 1) / kHuge * kHuge;
  void* chunk = std::aligned_alloc(kHuge, size);
  if (chunk) madvise(chunk, size, MADV_HUGEPAGE);
  return chunk;
}

}  // namespace

ReaderMemory::ReaderMemory(size_t budget, size_t expected)
    : budget_(budget), next_chunk_(std::clamp(expected, kLeastChunk, std::max(kLeastChunk, 2 * budget))) {}

ReaderMemory::~ReaderMemory() {
  while (chunks_) std::free(std::exchange(chunks_, chunks_->next));
  while (large_) std::free(std::exchange(large_, large_->next));
}

void ReaderMemory::Occupy(size_t size) {
  if (size > 2 * budget_ - occupied_) std::longjmp(exhausted, 1);
  occupied_ += size;
}

void* ReaderMemory::AllocateSmall(size_t size) {
  const size_t slots = (size + kWord + kSlot - 1) / kSlot;
  char* block;
  if (void*& reusable = reusable_[slots]) {
    block = static_cast<char*>(reusable) - kWord;
    reusable = *static_cast<void**>(reusable);
  } else {
    const size_t bytes = slots * kSlot;
    Occupy(bytes);
    if (static_cast<size_t>(free_end_ - free_start_) < bytes) NewChunk(bytes);
    block = free_start_;
    free_start_ += bytes;
  }
  *reinterpret_cast<size_t*>(block) = slots | size << kSizeShift;
  held_ += size;
  return block + kWord;
}

// The rest of the newest chunk is left unused; a chunk's pages are only
// occupied as they are carved.
void ReaderMemory::NewChunk(size_t bytes) {
  size_t chunk = std::max(bytes, std::min(next_chunk_, 2 * budget_ - occupied_)) + sizeof(Chunk);
  auto* fresh = static_cast<Chunk*>(chunk < kHuge ? std::malloc(chunk) : HugeChunk(chunk));
  if (!fresh) std::longjmp(exhausted, 1);
  fresh->next = chunks_;
  chunks_ = fresh;
  free_start_ = reinterpret_cast<char*>(fresh + 1);
  free_end_ = reinterpret_cast<char*>(fresh) + chunk;
  next_chunk_ = std::min(next_chunk_ * 2, kMostChunk);
}

void* ReaderMemory::AllocateLarge(size_t size) {
  Occupy(sizeof(Large) + size);
  auto* large = static_cast<Large*>(std::malloc(sizeof(Large) + size));
  if (!large) std::longjmp(exhausted, 1);
  *large = {nullptr, large_, size, 0};
  if (large_) large_->previous = large;
  large_ = large;
  held_ += size;
  return large + 1;
}

void* ReaderMemory::Allocate(void* memory, size_t size) {
  ReaderMemory& self = *static_cast<ReaderMemory*>(memory);
  if (size > self.budget_ - self.held_) std::longjmp(self.exhausted, 1);
  return size + kWord <= kLargestSmall ? self.AllocateSmall(size) : self.AllocateLarge(size);
}

void ReaderMemory::Release(void* memory, void* block) {
  if (!block) return;
  ReaderMemory& self = *static_cast<ReaderMemory*>(memory);
  const size_t word = *reinterpret_cast<const size_t*>(static_cast<char*>(block) - kWord);
  if (word != 0) {
    self.held_ -= word >> kSizeShift;
    const size_t slots = word & ((size_t{1} << kSizeShift) - 1);
    *static_cast<void**>(block) = self.reusable_[slots];
    self.reusable_[slots] = block;
    return;
  }
  Large* large = static_cast<Large*>(block) - 1;
  (large->previous ? large->previous->next : self.large_) = large->next;
  if (large->next) large->next->previous = large->previous;
  self.held_ -= large->size;
  self.occupied_ -= sizeof(Large) + large->size;
  std::free(large);
}

}  // namespace qe
