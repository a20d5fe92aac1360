#include "host/spool.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/vb/error.h"

namespace host {
namespace {

void WriteAll(std::FILE* file, uint64_t offset, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::pwrite(::fileno(file), bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (n <= 0) vb::Raise(vb::kDiskFull, u"cannot hold the data in a temporary file");
    bytes.remove_prefix(static_cast<size_t>(n));
    offset += static_cast<uint64_t>(n);
  }
}

}  // namespace

bool DiskAccount::Take(uint64_t bytes) {
  if (all && !all->Take(bytes)) return false;
  if (shares && !shares->Take(client, bytes)) {
    if (all) all->Give(bytes);
    return false;
  }
  return true;
}

void DiskAccount::Give(uint64_t bytes) {
  if (bytes == 0) return;
  if (all) all->Give(bytes);
  if (shares) shares->Give(client, bytes);
}

bool MemoryBudget::Take(uint64_t bytes, bool anyway) {
  if (anyway) {
    used_ += bytes;
    return true;
  }
  uint64_t used = used_.load();
  do {
    if (used + bytes > limit_) return false;
  } while (!used_.compare_exchange_weak(used, used + bytes));
  return true;
}

Spool::~Spool() {
  if (file_) std::fclose(file_);
  if (budget_) budget_->Give(taken_);
  disk_.Give(disk_taken_);
}

bool Spool::RoomInMemory(size_t size) {
  if (size > kMemoryLimit) return false;
  if (size <= memory_.capacity()) return true;
  // Grown as a string grows, within the limit: what is taken is what is held.
  size_t capacity = std::min(kMemoryLimit, std::max({size, 2 * memory_.capacity(), size_t{4096}}));
  if (budget_) {
    if (!budget_->Take(capacity - taken_)) return false;
    taken_ = capacity;
  }
  memory_.reserve(capacity);
  return true;
}

bool Spool::MoveToFile() {
  if (!disk_.Take(memory_.size())) return false;
  disk_taken_ = memory_.size();
  file_ = std::tmpfile();
  if (!file_) return false;  // out of descriptors: refused as a full budget is
  WriteAll(file_, 0, memory_);
  std::string().swap(memory_);
  if (budget_) budget_->Give(taken_);
  taken_ = 0;
  return true;
}

bool Spool::Append(std::string_view bytes) {
  if (!file_ && !RoomInMemory(memory_.size() + bytes.size()) && !MoveToFile()) return false;
  if (file_) {
    if (!disk_.Take(bytes.size())) return false;
    disk_taken_ += bytes.size();
    WriteAll(file_, size_, bytes);
  } else {
    memory_.append(bytes);
  }
  size_ += bytes.size();
  return true;
}

size_t Spool::ReadAt(uint64_t offset, char* out, size_t max) const {
  if (offset >= size_) return 0;
  size_t count = static_cast<size_t>(std::min<uint64_t>(max, size_ - offset));
  if (!file_) {
    std::memcpy(out, memory_.data() + offset, count);
    return count;
  }
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::pread(::fileno(file_), out + done, count - done, static_cast<off_t>(offset + done));
    if (n <= 0) vb::Raise(vb::kDeviceIoError, u"cannot read back the temporary file");
    done += static_cast<size_t>(n);
  }
  return done;
}

size_t SpooledBody::Read(uint8_t* out, size_t max) {
  if (!spool_) return 0;
  size_t n = spool_->ReadAt(position_, reinterpret_cast<char*>(out), max);
  position_ += n;
  if (position_ >= length_) spool_.reset();
  return n;
}

}  // namespace host
