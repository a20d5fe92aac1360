#include "platform/fs/file_range_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace fs {
namespace {

// Times the name may move on to another file between the open and the lock.
constexpr int kReopens = 8;

}  // namespace

int SetRangeLock(int fd, short type, FileRangeLock::Range range) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = range.start;
  lock.l_len = range.length;
  while (::fcntl(fd, F_OFD_SETLK, &lock) != 0)
    if (errno != EINTR) return errno;
  return 0;
}

int OpenAboveStandardStreams(const std::filesystem::path& file, int flags, mode_t mode) {
  int fd = ::open(file.c_str(), flags | O_CLOEXEC, mode);
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  const int high = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  const int error = errno;
  ::close(fd);
  errno = error;
  return high;
}

bool NamesOpenFile(const std::filesystem::path& name, int fd) {
  struct stat held {}, named {};
  return ::fstat(fd, &held) == 0 && ::stat(name.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

FileRangeLock::FileRangeLock(const std::filesystem::path& file, Kind kind, Range range,
                             std::chrono::milliseconds wait, std::chrono::microseconds step) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  const short type = kind == kWrite ? F_WRLCK : F_RDLCK;
  for (int open = 0; open < kReopens; ++open) {
    const int fd = OpenAboveStandardStreams(file, kind == kWrite ? O_RDWR | O_CREAT : O_RDONLY, 0666);
    if (fd < 0) return;
    int error;
    while (((error = SetRangeLock(fd, type, range)) == EAGAIN || error == EACCES) &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(step);
    if (error == 0 && NamesOpenFile(file, fd)) {
      fd_ = fd;
      return;
    }
    ::close(fd);
    if (error != 0) return;
  }
}

FileRangeLock::~FileRangeLock() { Release(); }

void FileRangeLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace fs
