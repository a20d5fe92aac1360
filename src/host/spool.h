#pragma once
// Bytes that pass through the server (a request body, a page's output) held
// in memory while they are small and in an unnamed temporary file beyond
// that, so a large upload or download never sits in memory.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "host/client_slots.h"
#include "platform/asp/body_source.h"

namespace host {

// The memory that spools of one server may hold in all: a spool that would
// take more than is left goes to its file, so many half-sent bodies cost
// disk, not memory. The disk their files hold has a budget of its own.
class MemoryBudget {
 public:
  explicit MemoryBudget(uint64_t limit) : limit_(limit) {}
  void SetLimit(uint64_t limit) { limit_ = limit; }
  // `anyway`: taken past the limit too (what is about to be given back).
  bool Take(uint64_t bytes, bool anyway = false);
  void Give(uint64_t bytes) { used_ -= bytes; }
  uint64_t Used() const { return used_; }

 private:
  std::atomic<uint64_t> limit_;
  std::atomic<uint64_t> used_{0};
};

// Where the bytes of a spool's file are counted: the server's disk budget
// and, when given, the share of it that one client may hold.
struct DiskAccount {
  MemoryBudget* all = nullptr;
  ClientShares* shares = nullptr;
  std::string client;

  // False, taking nothing, when either has no room.
  bool Take(uint64_t bytes);
  void Give(uint64_t bytes);
};

class Spool {
 public:
  static constexpr size_t kMemoryLimit = 256 * 1024;

  Spool() = default;
  explicit Spool(MemoryBudget* budget, DiskAccount disk = {}) : budget_(budget), disk_(std::move(disk)) {}
  ~Spool();
  Spool(const Spool&) = delete;
  Spool& operator=(const Spool&) = delete;

  // False, taking nothing, when the disk budget has no room for them or no
  // temporary file can be made (no descriptor left); raises vb::Error 61
  // (disk full) when the temporary file cannot take them.
  bool Append(std::string_view bytes);
  uint64_t Size() const { return size_; }
  bool InMemory() const { return file_ == nullptr; }
  // The bytes, while they are in memory.
  std::string& Memory() { return memory_; }
  // Up to `max` bytes from `offset`; fewer only at the end.
  size_t ReadAt(uint64_t offset, char* out, size_t max) const;

 private:
  bool MoveToFile();
  // Room in memory for `size` bytes in all, from the budget.
  bool RoomInMemory(size_t size);

  MemoryBudget* budget_ = nullptr;
  DiskAccount disk_;
  uint64_t taken_ = 0;  // from the budget
  uint64_t disk_taken_ = 0;
  std::string memory_;
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
};

// A request body received whole before the page runs, read back in pieces.
// Once the page has read it to its end the spool goes (when nothing else
// holds it): its file's descriptor and disk are not kept while the page goes
// on, for the page holds what it read.
class SpooledBody : public asp::BodySource {
 public:
  explicit SpooledBody(std::shared_ptr<const Spool> spool) : spool_(std::move(spool)), length_(spool_->Size()) {}
  uint64_t Length() const override { return length_; }
  size_t Read(uint8_t* out, size_t max) override;

 private:
  std::shared_ptr<const Spool> spool_;
  const uint64_t length_;
  uint64_t position_ = 0;
};

}  // namespace host
