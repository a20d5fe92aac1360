#include "platform/fs/file_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace fs {
namespace {

// Short steps: the holder may let go at any moment.
constexpr std::chrono::milliseconds kPollStep{20};

}  // namespace

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& file, std::chrono::milliseconds wait) {
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;  // l_start 0, l_len 0: the whole file
  for (;;) {
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) {
      fd_ = fd;
      return;
    }
    if (errno == EINTR) continue;
    if ((errno != EAGAIN && errno != EACCES) || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(kPollStep);
  }
  ::close(fd);
}

ExclusiveFileLock::~ExclusiveFileLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace fs
