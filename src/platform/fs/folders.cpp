#include "platform/fs/folders.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/fs/full_path.h"
#include "platform/fs/path_names.h"
#include "platform/fs/paths.h"
#include "platform/vb/error.h"

namespace fs {

namespace stdfs = std::filesystem;

bool MakeSureDirectoryPathExists(vb::StringView path) {
  vb::String full = FullPath(path);
  size_t last = full.find_last_of(u'\\');
  if (last <= 2) return true;  // nothing before the last separator but the drive
  stdfs::path host = ToHostPath(full.substr(0, last));
  std::error_code error;
  stdfs::create_directories(host, error);
  return !error && stdfs::is_directory(host, error);
}

void CreateDirectory(vb::StringView path) {
  vb::String full = FullPath(path);
  stdfs::path host = ToHostPath(full);
  if (::mkdir(host.c_str(), 0777) == 0) return;
  vb::String quoted = detail::Quoted(path);
  switch (errno) {
    case EEXIST:
      vb::Raise(vb::kFileAlreadyExists, u"The folder " + quoted + u" exists already");
    case ENOENT:
    case ENOTDIR:
      vb::Raise(vb::kPathNotFound, u"The parent folder of " + quoted + u" does not exist");
    default:
      vb::Raise(vb::kPermissionDenied, u"The folder " + quoted + u" cannot be created");
  }
}

namespace {

void SyncPath(const stdfs::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool PublishFolder(vb::StringView built, vb::StringView target) {
  return PublishHostFolder(ToHostPath(built), ToHostPath(target));
}

bool PublishHostFolder(const stdfs::path& from, const stdfs::path& to) {
  std::error_code error;
  for (const auto& entry : stdfs::directory_iterator(from, error)) SyncPath(entry.path());
  SyncPath(from);
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) return false;
  // The new name is durable before anything relies on it.
  SyncPath(to.parent_path());
  return true;
}

}  // namespace fs
