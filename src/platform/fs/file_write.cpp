#include "platform/fs/file_write.h"

#include "platform/fs/file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "platform/fs/paths.h"
#include "platform/fs/scratch_names.h"
#include "platform/sys/stop_points.h"
#include "platform/vb/error.h"

namespace fs {
namespace {

namespace stdfs = std::filesystem;

[[noreturn]] void RaiseForErrno(int error, StringView windows_path) {
  vb::String quoted = u"\"" + vb::String(windows_path) + u"\"";
  switch (error) {
    case EEXIST:
      vb::Raise(vb::kFileAlreadyExists, u"The file " + quoted + u" already exists");
    case ENOENT:
    case ENOTDIR:
      vb::Raise(vb::kPathNotFound, u"The folder of " + quoted + u" does not exist");
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      vb::Raise(vb::kPermissionDenied, u"Writing " + quoted + u" is not permitted");
    case ENOSPC:
    case EDQUOT:
      vb::Raise(vb::kDiskFull, u"The disk is full while writing " + quoted);
    default:
      vb::Raise(vb::kPathFileAccessError, u"Cannot write " + quoted + u": " + vb::FromUtf8(std::strerror(error)));
  }
}

// Writes everything or returns the errno of the failure (0 on success).
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

// Fills a file that `open` has just created; removes it when that fails.
int FillCreated(int fd, const stdfs::path& host, std::string_view bytes) {
  int error = WriteAll(fd, bytes);
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) ::unlink(host.c_str());
  return error;
}

// A name no one else uses, for a file written aside and renamed into place:
// a scratch name, where a mount looks for what a kill leaves.
stdfs::path AsideName(const stdfs::path& host) {
  static std::atomic<uint64_t> counter{0};
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string name = ScratchPrefix() + "write-" + std::to_string(counter++) + "-" +
                     std::to_string(random() % 1000000) + ".tmp";
  return ScratchFolderFor(host.parent_path()) / name;
}

bool ExistsAs(StringView windows_path, stdfs::file_type type) {
  try {
    std::optional<stdfs::path> host = ResolveExisting(windows_path);
    std::error_code error;
    return host && stdfs::status(*host, error).type() == type;
  } catch (const vb::Error&) {
    return false;  // a refused path names nothing
  }
}

}  // namespace

bool IsExistingFile(StringView windows_path) { return ExistsAs(windows_path, stdfs::file_type::regular); }

bool IsExistingFolder(StringView windows_path) { return ExistsAs(windows_path, stdfs::file_type::directory); }

bool CreateFolderWithParents(StringView windows_path) {
  stdfs::path host = ToHostPath(windows_path);
  std::error_code error;
  const bool made = stdfs::create_directories(host, error);
  if (!error) return made;
  if (error == std::errc::permission_denied || error == std::errc::read_only_file_system)
    vb::Raise(vb::kPermissionDenied, u"Creating the folder \"" + vb::String(windows_path) + u"\" is not permitted");
  vb::Raise(vb::kPathFileAccessError, u"Cannot create the folder \"" + vb::String(windows_path) + u"\"");
}

void CreateNewFile(StringView windows_path, std::string_view bytes) {
  if (!WriteNewFile(windows_path, bytes)) RaiseForErrno(EEXIST, windows_path);
}

void ReplaceFile(StringView windows_path, std::string_view bytes) {
  stdfs::path host = ToHostPath(windows_path);
  std::error_code ignored;
  if (stdfs::is_directory(host, ignored)) RaiseForErrno(EISDIR, windows_path);
  stdfs::path aside;
  int fd = -1;
  do {
    aside = AsideName(host);
    fd = ::open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EEXIST);
  if (fd < 0) RaiseForErrno(errno, windows_path);
  if (int error = FillCreated(fd, aside, bytes)) RaiseForErrno(error, windows_path);
  sys::StopPoint("written");
  if (::rename(aside.c_str(), host.c_str()) != 0) {
    int error = errno;
    ::unlink(aside.c_str());
    RaiseForErrno(error, windows_path);
  }
}

}  // namespace fs
