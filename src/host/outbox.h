#pragma once
// What an answer still has to send, in order: bytes the client has not taken
// yet (in memory while they are few, then in an unnamed temporary file) and
// ranges of files, sent straight from the file by the system. A page's worker
// leaves here what the client does not take at once, and the connection's
// event loop sends it at the client's pace once the page has ended.
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace host {

// What all the outboxes of a server hold together. The memory share is a
// soft bound (past it, bytes go to the temporary file); the spool is a hard
// one, so that slow clients cannot fill the disk.
struct OutboxBudget {
  static constexpr uint64_t kMemoryInAll = 32 * 1024 * 1024;
  // An answer holds one descriptor; a second one (a file range beside the
  // spool's file) is one of these few, which the connection limit leaves
  // free beside the pages' own.
  static constexpr int64_t kSecondDescriptors = 64;
  uint64_t spool_limit = 0;  // set before the first outbox
  std::atomic<uint64_t> memory{0};
  std::atomic<uint64_t> spooled{0};
  std::atomic<int64_t> second_descriptors{0};
};

class Outbox {
 public:
  static constexpr size_t kMemoryPerAnswer = 64 * 1024;
  // Bytes this small are always taken (heads, chunk lines, refusals).
  static constexpr size_t kAlwaysTaken = 4096;

  explicit Outbox(OutboxBudget& budget) : budget_(budget) {}
  ~Outbox();
  Outbox(const Outbox&) = delete;
  Outbox& operator=(const Outbox&) = delete;

  // False, taking nothing, when the server's spool is full or the temporary
  // file cannot take them (a full disk).
  bool Append(std::string_view bytes);
  // `length` bytes of the file from `offset`; the outbox owns `descriptor`.
  void AppendFile(int descriptor, uint64_t offset, uint64_t length);
  void Clear();

  bool Empty() const { return segments_.empty(); }
  // The bytes held here, in memory or spooled; file ranges cost nothing.
  uint64_t HeldBytes() const { return memory_ + spooled_; }
  // Whether it may take a descriptor now (a file range, or its spool's file,
  // which goes once nothing spooled waits): when it holds none, or while the
  // server has second ones to spare.
  bool MayTakeDescriptor() const;
  // Whether queuing `bytes` now would take a descriptor, its spool's file.
  bool WouldSpool(size_t bytes) const;

  struct Sent {
    uint64_t bytes = 0;
    int error = 0;  // 0 (all sent, or `at_most` reached), EAGAIN (the socket is full), or why it failed
  };
  // Sends from the front what the non-blocking `socket` takes now, at most
  // `at_most` bytes. A file that ends before its range fails with EIO.
  Sent SendSome(int socket, uint64_t at_most);

 private:
  enum class Kind { kMemory, kSpooled, kFile };
  struct Segment {
    Kind kind;
    std::string memory;    // kMemory, from `offset` on
    int descriptor = -1;   // kFile
    uint64_t offset = 0;   // kMemory: sent already; kSpooled, kFile: where the rest starts
    uint64_t length = 0;   // kSpooled, kFile: what is left
  };

  bool Spool(std::string_view bytes);
  // The descriptors past the first, counted in the budget.
  void CountDescriptors();
  ssize_t SendFront(int socket, Segment& front, uint64_t at_most, bool more);
  void Consumed(Segment& front, uint64_t count);
  void DropFront();

  OutboxBudget& budget_;
  std::deque<Segment> segments_;
  uint64_t memory_ = 0, spooled_ = 0;
  size_t files_ = 0;           // file ranges queued
  int64_t second_ = 0;         // of budget_.second_descriptors
  int spool_ = -1;             // the temporary file, made when first needed
  uint64_t spool_end_ = 0;     // where the next spooled bytes go
  uint64_t spool_freed_ = 0;   // below this the file's space went back to the system
};

}  // namespace host
