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
  // The lock is on the file that the name stands for once it is held: a
  // file removed or replaced while this waited is let go, and the name's
  // file locked instead.
  FileRangeLock(const std::filesystem::path& file, Kind kind, Range range, std::chrono::milliseconds wait,
                std::chrono::microseconds step);
  ~FileRangeLock();
  FileRangeLock(const FileRangeLock&) = delete;
  FileRangeLock& operator=(const FileRangeLock&) = delete;

  // False when the wait ran out, or the file could not be opened.
  bool Held() const { return fd_ >= 0; }

 protected:
  // The open file description that holds the lock; -1 when not held.
  int Descriptor() const { return fd_; }
  // Lets the lock go before its time.
  void Release();

 private:
  int fd_ = -1;
};

// Sets a lock of `type` (F_RDLCK, F_WRLCK; F_UNLCK lets it go) on `range` of
// the open file description `fd`, without waiting: 0 when set, else the
// errno (EAGAIN or EACCES when another holder's lock stands in the way).
int SetRangeLock(int fd, short type, FileRangeLock::Range range);

// Opens `file` as open(2) does, with O_CLOEXEC, never under a standard
// stream's number (0 to 2): whatever closes or redirects one of those would
// take the file's locks with it. -1 with errno set when it cannot.
int OpenAboveStandardStreams(const std::filesystem::path& file, int flags, mode_t mode = 0);

// True when the open file `fd` is the file that `name` stands for now.
bool NamesOpenFile(const std::filesystem::path& name, int fd);

}  // namespace fs
