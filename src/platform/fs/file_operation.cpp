#include "platform/fs/file_operation.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/fs/full_path.h"
#include "platform/fs/paths.h"
#include "platform/vb/error.h"

namespace fs {

namespace {

namespace stdfs = std::filesystem;

struct Failed {
  int32_t code;
};

int32_t CodeOf(const std::error_code& error) {
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
      error == std::errc::read_only_file_system) {
    return kErrorAccessDenied;
  }
  if (error == std::errc::no_space_on_device) return kErrorDiskFull;
  if (error == std::errc::file_exists || error == std::errc::is_a_directory ||
      error == std::errc::not_a_directory || error == std::errc::directory_not_empty) {
    return kErrorAlreadyExists;
  }
  return kDeUnknownError;
}

void Check(const std::error_code& error) {
  if (error) throw Failed{CodeOf(error)};
}

std::vector<String> ParseList(StringView list) {
  std::vector<String> names;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(u'\0', start);
    if (end == StringView::npos) end = list.size();
    if (end == start) break;  // the second NUL closes the list
    names.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

stdfs::path HostOf(StringView path) { return ToHostPath(FullPath(path)); }

bool Exists(const stdfs::path& path) {
  std::error_code ignored;
  return stdfs::exists(stdfs::symlink_status(path, ignored));
}

bool IsFolder(const stdfs::path& path) {
  std::error_code ignored;
  return stdfs::is_directory(stdfs::symlink_status(path, ignored));
}

bool SameEntry(const stdfs::path& a, const stdfs::path& b) {
  std::error_code ignored;
  return Exists(b) && stdfs::equivalent(a, b, ignored);
}

// True when `inner` is `outer` or lies inside it.
bool IsWithin(const stdfs::path& inner, const stdfs::path& outer) {
  std::error_code ignored;
  stdfs::path a = stdfs::weakly_canonical(inner, ignored);
  stdfs::path b = stdfs::weakly_canonical(outer, ignored);
  auto mismatch = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
  return mismatch.first == b.end();
}

void MakeParent(const stdfs::path& path) {
  std::error_code error;
  stdfs::create_directories(path.parent_path(), error);
  Check(error);
}

void CopyOneFile(const stdfs::path& from, const stdfs::path& to) {
  std::error_code error;
  if (stdfs::is_symlink(stdfs::symlink_status(from, error))) {
    if (Exists(to)) stdfs::remove(to, error);
    stdfs::copy_symlink(from, to, error);
  } else {
    stdfs::copy_file(from, to, stdfs::copy_options::overwrite_existing, error);
  }
  Check(error);
}

// The folder's tree merged onto `to`; links are copied as links, never followed.
void CopyTree(const stdfs::path& from, const stdfs::path& to) {
  std::error_code error;
  stdfs::create_directories(to, error);
  Check(error);
  for (stdfs::directory_iterator it(from, error), end; it != end; it.increment(error)) {
    Check(error);
    stdfs::path target = to / it->path().filename();
    if (IsFolder(it->path())) {
      if (Exists(target) && !IsFolder(target)) throw Failed{kErrorAlreadyExists};
      CopyTree(it->path(), target);
    } else {
      if (IsFolder(target)) throw Failed{kErrorAlreadyExists};
      CopyOneFile(it->path(), target);
    }
  }
  Check(error);
}

void Remove(const stdfs::path& path) {
  std::error_code error;
  stdfs::remove_all(path, error);
  Check(error);
}

// A rename where the system allows it, else a copy and a delete.
void MoveEntry(const stdfs::path& from, const stdfs::path& to) {
  std::error_code error;
  stdfs::rename(from, to, error);
  if (!error) return;
  if (error != std::errc::cross_device_link) Check(error);
  if (IsFolder(from)) CopyTree(from, to);
  else CopyOneFile(from, to);
  Remove(from);
}

// The folder's tree moved onto an existing folder, entry by entry.
void MergeMove(const stdfs::path& from, const stdfs::path& to) {
  std::error_code error;
  std::vector<stdfs::path> entries;
  for (stdfs::directory_iterator it(from, error), end; it != end; it.increment(error)) {
    Check(error);
    entries.push_back(it->path());
  }
  Check(error);
  for (const stdfs::path& entry : entries) {
    stdfs::path target = to / entry.filename();
    if (IsFolder(entry) && IsFolder(target)) {
      MergeMove(entry, target);
    } else {
      if (IsFolder(entry) != IsFolder(target) && Exists(target)) throw Failed{kErrorAlreadyExists};
      MoveEntry(entry, target);
    }
  }
  Remove(from);
}

void Transfer(uint16_t function, const stdfs::path& from, stdfs::path to) {
  bool folder = IsFolder(from);
  if (!folder && IsFolder(to)) to /= from.filename();
  if (SameEntry(from, to)) throw Failed{kDeSameFile};
  if (folder && IsWithin(to, from)) throw Failed{kDeDestSubtree};
  if (folder && Exists(to) && !IsFolder(to)) throw Failed{kErrorAlreadyExists};
  MakeParent(to);
  if (function == kFoCopy) {
    if (folder) CopyTree(from, to);
    else CopyOneFile(from, to);
  } else if (folder && IsFolder(to)) {
    MergeMove(from, to);
  } else {
    MoveEntry(from, to);
  }
}

void Rename(const stdfs::path& from, StringView to_path) {
  String full = FullPath(to_path);
  stdfs::path to = ToHostPath(full);
  std::error_code error;
  if (!stdfs::equivalent(from.parent_path(), to.parent_path(), error)) throw Failed{kDeDiffDir};
  if (Exists(to)) {
    if (!SameEntry(from, to)) throw Failed{kErrorAlreadyExists};
    // Only the case changes: the new name as given.
    to = from.parent_path() / vb::ToUtf8(full.substr(full.find_last_of(u'\\') + 1));
  }
  stdfs::rename(from, to, error);
  Check(error);
}

int32_t CodeOf(const vb::Error& error) {
  switch (error.Number()) {
    case vb::kPermissionDenied:
      return kErrorAccessDenied;
    case vb::kBadFileNameOrNumber:
      return kErrorInvalidName;
    case vb::kPathNotFound:
      return kErrorPathNotFound;
    default:
      return kDeUnknownError;
  }
}

int32_t Run(const FileOperation& operation) {
  std::vector<String> sources = ParseList(operation.from);
  if (sources.empty()) return kDeInvalidFiles;
  std::vector<stdfs::path> hosts;
  for (const String& source : sources) {
    std::optional<stdfs::path> host = ResolveExisting(FullPath(source));
    if (!host) return kErrorFileNotFound;
    hosts.push_back(std::move(*host));
  }
  if (operation.function == kFoDelete) {
    for (const stdfs::path& host : hosts) Remove(host);
    return kFileOperationDone;
  }
  std::vector<String> destinations = ParseList(operation.to);
  bool paired = (operation.flags & kFofMultiDestFiles) != 0;
  if (destinations.size() != (paired ? sources.size() : 1)) return kDeManySrc1Dest;
  for (size_t i = 0; i < hosts.size(); ++i) {
    switch (operation.function) {
      case kFoRename:
        Rename(hosts[i], destinations[paired ? i : 0]);
        break;
      case kFoCopy:
      case kFoMove:
        Transfer(operation.function, hosts[i],
                 paired ? HostOf(destinations[i]) : HostOf(destinations[0]) / hosts[i].filename());
        break;
      default:
        return kDeUnknownError;
    }
  }
  return kFileOperationDone;
}

}  // namespace

int32_t SHFileOperation(const FileOperation& operation) {
  try {
    return Run(operation);
  } catch (const Failed& failed) {
    return failed.code;
  } catch (const vb::Error& error) {
    return CodeOf(error);
  }
}

}  // namespace fs
