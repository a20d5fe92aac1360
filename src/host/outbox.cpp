#include "host/outbox.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>

namespace host {
namespace {

constexpr uint64_t kFreeStep = 1024 * 1024;  // sent spool bytes given back to the system this many at a time
constexpr size_t kSendfileMax = 0x7ffff000;  // what one sendfile call moves at most
constexpr size_t kSpoolReadStep = 256 * 1024;  // spooled bytes read back for one send

// An unnamed file in the temporary folder; -1 when none can be made.
int NewTemporaryFile() {
  const char* folder = std::getenv("TMPDIR");
  if (!folder || !*folder) folder = "/tmp";
  int file = ::open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (file >= 0) return file;
  std::string name = std::string(folder) + "/qe-outbox-XXXXXX";
  file = ::mkostemp(name.data(), O_CLOEXEC);
  if (file >= 0) ::unlink(name.c_str());
  return file;
}

bool WriteAll(int file, uint64_t offset, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::pwrite(file, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
    offset += static_cast<uint64_t>(n);
  }
  return true;
}

}  // namespace

Outbox::~Outbox() {
  Clear();
  if (spool_ >= 0) ::close(spool_);
  spool_ = -1;
  CountDescriptors();
}

void Outbox::Clear() {
  while (!segments_.empty()) DropFront();
}

bool Outbox::MayTakeDescriptor() const {
  return (files_ == 0 && spool_ < 0) ||
         budget_.second_descriptors.load(std::memory_order_relaxed) < OutboxBudget::kSecondDescriptors;
}

void Outbox::CountDescriptors() {
  int64_t held = static_cast<int64_t>(files_) + (spool_ >= 0 ? 1 : 0);
  int64_t second = held > 1 ? held - 1 : 0;
  budget_.second_descriptors += second - second_;
  second_ = second;
}

bool Outbox::WouldSpool(size_t bytes) const {
  if (bytes <= kAlwaysTaken || spool_ >= 0) return false;
  return memory_ + bytes > kMemoryPerAnswer ||
         budget_.memory.load(std::memory_order_relaxed) + bytes > OutboxBudget::kMemoryInAll;
}

bool Outbox::Append(std::string_view bytes) {
  if (bytes.empty()) return true;
  bool small = bytes.size() <= kAlwaysTaken;
  bool memory_free = memory_ + bytes.size() <= kMemoryPerAnswer &&
                     budget_.memory.load(std::memory_order_relaxed) + bytes.size() <= OutboxBudget::kMemoryInAll;
  if (!small && !memory_free) return Spool(bytes);
  if (segments_.empty() || segments_.back().kind != Kind::kMemory) segments_.push_back({Kind::kMemory, {}});
  segments_.back().memory.append(bytes);
  memory_ += bytes.size();
  budget_.memory += bytes.size();
  return true;
}

bool Outbox::Spool(std::string_view bytes) {
  uint64_t held = budget_.spooled.fetch_add(bytes.size());
  if (held + bytes.size() > budget_.spool_limit) {
    budget_.spooled -= bytes.size();
    return false;
  }
  if (spool_ < 0) {
    spool_ = NewTemporaryFile();
    CountDescriptors();
  }
  if (spool_ < 0 || !WriteAll(spool_, spool_end_, bytes)) {
    budget_.spooled -= bytes.size();
    return false;
  }
  Segment* last = segments_.empty() ? nullptr : &segments_.back();
  if (last && last->kind == Kind::kSpooled && last->offset + last->length == spool_end_) last->length += bytes.size();
  else segments_.push_back({Kind::kSpooled, {}, -1, spool_end_, bytes.size()});
  spool_end_ += bytes.size();
  spooled_ += bytes.size();
  return true;
}

void Outbox::AppendFile(int descriptor, uint64_t offset, uint64_t length) {
  if (length == 0) {
    ::close(descriptor);
    return;
  }
  segments_.push_back({Kind::kFile, {}, descriptor, offset, length});
  ++files_;
  CountDescriptors();
}

Outbox::Sent Outbox::SendSome(int socket, uint64_t at_most) {
  Sent sent;
  while (!segments_.empty() && sent.bytes < at_most) {
    Segment& front = segments_.front();
    ssize_t n = SendFront(socket, front, at_most - sent.bytes, segments_.size() > 1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      sent.error = errno;
      break;
    }
    if (n == 0) {  // only a file read past its end sends nothing
      sent.error = EIO;
      break;
    }
    sent.bytes += static_cast<uint64_t>(n);
    Consumed(front, static_cast<uint64_t>(n));
  }
  return sent;
}

ssize_t Outbox::SendFront(int socket, Segment& front, uint64_t at_most, bool more) {
  if (front.kind == Kind::kMemory) {
    size_t count = static_cast<size_t>(std::min<uint64_t>(front.memory.size() - front.offset, at_most));
    // MSG_MORE: a head followed by its file goes out in full packets.
    return ::send(socket, front.memory.data() + front.offset, count, MSG_NOSIGNAL | MSG_DONTWAIT | (more ? MSG_MORE : 0));
  }
  off_t offset = static_cast<off_t>(front.offset);
  if (front.kind == Kind::kFile) {
    size_t count = static_cast<size_t>(std::min<uint64_t>({front.length, at_most, kSendfileMax}));
    return ::sendfile(socket, front.descriptor, &offset, count);
  }
  // Spooled bytes are copied out, never sent from the file: the socket would
  // keep the file's pages until the client reads them, and the spool gives
  // its space back (and starts over) as soon as a send returns.
  thread_local std::unique_ptr<char[]> buffer(new char[kSpoolReadStep]);
  size_t count = static_cast<size_t>(std::min<uint64_t>({front.length, at_most, kSpoolReadStep}));
  ssize_t got = ::pread(spool_, buffer.get(), count, offset);
  if (got <= 0) {
    if (got == 0) errno = EIO;
    return -1;
  }
  return ::send(socket, buffer.get(), static_cast<size_t>(got), MSG_NOSIGNAL | MSG_DONTWAIT | (more ? MSG_MORE : 0));
}

void Outbox::Consumed(Segment& front, uint64_t count) {
  switch (front.kind) {
    case Kind::kMemory:
      front.offset += count;
      if (front.offset == front.memory.size()) DropFront();
      return;
    case Kind::kSpooled:
      front.offset += count;
      front.length -= count;
      spooled_ -= count;
      budget_.spooled -= count;
      if (front.offset - spool_freed_ >= kFreeStep) {
        uint64_t end = front.offset - front.offset % kFreeStep;
        ::fallocate(spool_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(spool_freed_),
                    static_cast<off_t>(end - spool_freed_));
        spool_freed_ = end;
      }
      if (front.length == 0) DropFront();
      return;
    case Kind::kFile:
      front.offset += count;
      front.length -= count;
      if (front.length == 0) DropFront();
      return;
  }
}

void Outbox::DropFront() {
  Segment& front = segments_.front();
  if (front.kind == Kind::kMemory) {
    memory_ -= front.memory.size();
    budget_.memory -= front.memory.size();
  } else if (front.kind == Kind::kSpooled) {
    spooled_ -= front.length;
    budget_.spooled -= front.length;
  } else {
    ::close(front.descriptor);
    --files_;
  }
  segments_.pop_front();
  if (spooled_ == 0 && spool_ >= 0) {  // nothing spooled waits: the file goes, its descriptor too
    ::close(spool_);
    spool_ = -1;
    spool_end_ = spool_freed_ = 0;
  }
  CountDescriptors();
}

}  // namespace host
