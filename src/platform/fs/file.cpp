#include "platform/fs/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/fs/full_path.h"
#include "platform/fs/path_names.h"
#include "platform/fs/paths.h"
#include "platform/fs/scratch_names.h"
#include "platform/vb/error.h"

namespace fs {

namespace {

namespace stdfs = std::filesystem;

[[noreturn]] void RaiseOpenError(int error, const stdfs::path& host, StringView path) {
  String quoted = detail::Quoted(path);
  switch (error) {
    case ENOENT: {
      std::error_code ignored;
      if (stdfs::is_directory(host.parent_path(), ignored)) vb::Raise(vb::kFileNotFound, u"The file " + quoted + u" does not exist");
      vb::Raise(vb::kPathNotFound, u"The folder of " + quoted + u" does not exist");
    }
    case ENOTDIR:
      vb::Raise(vb::kPathNotFound, u"The folder of " + quoted + u" does not exist");
    case EEXIST:
      vb::Raise(vb::kFileAlreadyExists, u"The file " + quoted + u" exists already");
    case EACCES:
    case EPERM:
    case EROFS:
      vb::Raise(vb::kPermissionDenied, u"Access to " + quoted + u" is refused");
    case ENOSPC:
      vb::Raise(vb::kDiskFull, u"The disk of " + quoted + u" is full");
    default:
      vb::Raise(vb::kPathFileAccessError, u"The file " + quoted + u" cannot be opened");
  }
}

int OpenFlags(bool write, Disposition disposition) {
  int flags = (write ? O_RDWR : O_RDONLY) | O_CLOEXEC;
  switch (disposition) {
    case Disposition::kCreateAlways:
      return flags | O_CREAT | O_TRUNC;
    case Disposition::kOpenAlways:
      return flags | O_CREAT;
    case Disposition::kOpenExisting:
      return flags;
    case Disposition::kCreateNew:
      return flags | O_CREAT | O_EXCL;
  }
  return flags;
}

bool WriteFully(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace

File File::Open(StringView path, bool write, Disposition disposition) {
  stdfs::path host = ToHostPath(FullPath(path));
  std::error_code ignored;
  if (stdfs::is_directory(host, ignored)) {
    vb::Raise(vb::kPathFileAccessError, u"The path " + detail::Quoted(path) + u" names a folder");
  }
  int descriptor = ::open(host.c_str(), OpenFlags(write, disposition), 0666);
  if (descriptor < 0) RaiseOpenError(errno, host, path);
  return File(descriptor);
}

File::File(File&& other) noexcept : descriptor_(other.descriptor_) { other.descriptor_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    descriptor_ = other.descriptor_;
    other.descriptor_ = -1;
  }
  return *this;
}

File::~File() { Close(); }

bool File::Write(std::string_view bytes) { return descriptor_ >= 0 && WriteFully(descriptor_, bytes); }

void File::SeekToEnd() {
  if (descriptor_ >= 0) ::lseek(descriptor_, 0, SEEK_END);
}

std::string File::ReadToEnd() {
  std::string bytes;
  char buffer[65536];
  while (descriptor_ >= 0) {
    ssize_t got = ::read(descriptor_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) vb::Raise(vb::kDeviceIoError, u"The file cannot be read");
    if (got == 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  return bytes;
}

size_t File::Read(char* out, size_t count) {
  while (descriptor_ >= 0 && count > 0) {
    ssize_t got = ::read(descriptor_, out, count);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) vb::Raise(vb::kDeviceIoError, u"The file cannot be read");
    return static_cast<size_t>(got);
  }
  return 0;
}

uint64_t File::Size() const {
  struct stat info {};
  if (descriptor_ < 0 || ::fstat(descriptor_, &info) != 0) return 0;
  return static_cast<uint64_t>(info.st_size);
}

bool File::Close() {
  if (descriptor_ < 0) return true;
  int result = ::close(descriptor_);
  descriptor_ = -1;
  return result == 0;
}

std::string ReadAllBytes(StringView path) {
  File file = File::Open(path, false, Disposition::kOpenExisting);
  return file.ReadToEnd();
}

bool WriteNewFile(StringView path, std::string_view bytes) {
  stdfs::path host = ToHostPath(FullPath(path));
  // Written as a file without a name, which a kill leaves nothing of, then
  // linked under its name whole. Where the file system cannot do that, a
  // scratch name that carries this process's number serves instead.
  std::string scratch;
  int descriptor = ::open(host.parent_path().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
  if (descriptor < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    scratch = (ScratchFolderFor(host.parent_path()) / (ScratchPrefix() + "new-XXXXXX")).string();
    descriptor = ::mkstemp(scratch.data());
  }
  if (descriptor < 0) RaiseOpenError(errno, host, path);
  bool written = WriteFully(descriptor, bytes);
  if (!scratch.empty()) ::fchmod(descriptor, 0644);
  int linked = -1, link_error = 0;
  if (written) {
    if (scratch.empty()) {
      const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
      linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, host.c_str(), AT_SYMLINK_FOLLOW);
    } else {
      linked = ::link(scratch.c_str(), host.c_str());
    }
    link_error = errno;
  }
  bool closed = ::close(descriptor) == 0;
  if (!scratch.empty()) ::unlink(scratch.c_str());
  if (!written || (!closed && linked != 0)) vb::Raise(vb::kDiskFull, u"The disk cannot take " + detail::Quoted(path));
  if (linked == 0) return true;
  if (link_error == EEXIST) return false;
  RaiseOpenError(link_error, host, path);
}

}  // namespace fs
