#pragma once
// A lock kept in a file, for one holder at a time across threads and
// processes: held by an open file description of its own, so that it goes
// with its holder, or with the holder's process however that ends.
#include <chrono>
#include <filesystem>

namespace fs {

class ExclusiveFileLock {
 public:
  // Takes the lock of the host file `file` (made when missing), waiting at
  // most `wait` while another holder has it.
  ExclusiveFileLock(const std::filesystem::path& file, std::chrono::milliseconds wait);
  ~ExclusiveFileLock();
  ExclusiveFileLock(const ExclusiveFileLock&) = delete;
  ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

  // False when the wait ran out, or the file could not be opened.
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace fs
