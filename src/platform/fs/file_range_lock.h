#pragma once
// A lock on a range of a file, across threads and processes: held by an open
// file description of its own, so that it goes with its holder, or with the
// holder's process however that ends, and never with another descriptor of
// the same file closing.
#include <sys/types.h>

#include <chrono>
#include <filesystem>

namespace fs {

class FileRangeLock {
 public:
  enum Kind { kRead, kWrite };
  // `length` 0: to the end of the file, however long it grows.
  struct Range {
    off_t start = 0, length = 0;
  };

  // Takes the lock, trying every `step` while another holder's lock stands
  // in the way, for at most `wait`. A write lock needs the file writable
  // and makes it when missing; a read lock opens an existing file to read.
  FileRangeLock(const std::filesystem::path& file, Kind kind, Range range, std::chrono::milliseconds wait,
                std::chrono::microseconds step);
  ~FileRangeLock();
  FileRangeLock(const FileRangeLock&) = delete;
  FileRangeLock& operator=(const FileRangeLock&) = delete;

  // False when the wait ran out, or the file could not be opened.
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace fs
