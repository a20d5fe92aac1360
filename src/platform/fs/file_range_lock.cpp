#include "platform/fs/file_range_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace fs {

FileRangeLock::FileRangeLock(const std::filesystem::path& file, Kind kind, Range range,
                             std::chrono::milliseconds wait, std::chrono::microseconds step) {
  const int fd = ::open(file.c_str(), kind == kWrite ? O_RDWR | O_CREAT | O_CLOEXEC : O_RDONLY | O_CLOEXEC, 0666);
  if (fd < 0) return;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  struct flock lock {};
  lock.l_type = kind == kWrite ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = range.start;
  lock.l_len = range.length;
  for (;;) {
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) {
      fd_ = fd;
      return;
    }
    if (errno == EINTR) continue;
    if ((errno != EAGAIN && errno != EACCES) || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(step);
  }
  ::close(fd);
}

FileRangeLock::~FileRangeLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace fs
