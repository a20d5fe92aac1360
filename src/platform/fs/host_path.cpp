#include <algorithm>
#include <vector>

#include "platform/fs/drives.h"
#include "platform/fs/path_names.h"
#include "platform/fs/paths.h"
#include "platform/fs/windows_names.h"
#include "platform/vb/error.h"

namespace fs {

namespace {

namespace stdfs = std::filesystem;
using detail::Quoted;

struct Resolution {
  stdfs::path path;
  bool exists;  // every name was found
};

[[noreturn]] void Refuse(int32_t number, StringView windows_path, StringView why) {
  vb::Raise(number, u"The path " + Quoted(windows_path) + u" " + String(why));
}

String DriveName(StringView windows_path) { return String(windows_path.substr(0, 2)); }

bool IsWithin(const stdfs::path& path, const stdfs::path& folder) {
  auto mismatch = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return mismatch.first == folder.end();
}

// A name with at most this many spellings is looked up by each of them
// (microseconds each); past it its folder is listed, which in a folder of
// tens of thousands of entries takes milliseconds.
constexpr size_t kMostSpellingLookups = 64;

// The first in byte order of the names that exist in `folder`.
std::optional<stdfs::path> FirstExisting(const stdfs::path& folder, const std::vector<String>& names) {
  std::optional<stdfs::path> found;
  for (const String& name : names) {
    stdfs::path entry(vb::ToUtf8(name));
    std::error_code error;
    if (found && entry.native() >= found->native()) continue;
    if (stdfs::exists(stdfs::symlink_status(folder / entry, error))) found = std::move(entry);
  }
  return found;
}

// The entry of `folder` equal to `name` without case; the first in byte order
// when several are, so that the choice does not depend on the listing order.
// A new name is missing in every spelling: the cost of learning that must
// not grow with the folder, so a name with few spellings is looked up by each.
std::optional<stdfs::path> FindNoCase(const stdfs::path& folder, StringView name) {
  // A host name that is not UTF-8 reads back with U+FFFD in its place: only a listing finds it.
  if (name.find(u'\uFFFD') == StringView::npos)
    if (std::optional<std::vector<String>> spellings = detail::SpellingsNoCase(name, kMostSpellingLookups))
      return FirstExisting(folder, *spellings);
  std::error_code error;
  std::optional<stdfs::path> found;
  for (stdfs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    stdfs::path entry = it->path().filename();
    if (found && entry.native() >= found->native()) continue;
    if (detail::SameNameNoCase(vb::FromUtf8(entry.native()), name)) found = std::move(entry);
  }
  return found;
}

// A link is followed only when everything it leads through stays on the drive.
// (Checked here, at resolution; a link changed afterwards is not seen.)
void CheckLink(const stdfs::path& link, const detail::Drive& drive, StringView windows_path) {
  std::error_code error;
  stdfs::path target = stdfs::canonical(link, error);
  if (error) Refuse(vb::kPermissionDenied, windows_path, u"goes through a broken symbolic link");
  if (!IsWithin(target, drive.real_folder)) {
    Refuse(vb::kPermissionDenied, windows_path,
           u"goes through a symbolic link that leads outside drive " + DriveName(windows_path));
  }
}

// The host name that `name` has in `folder`: the name as given when it exists
// (one lookup), else the listing's entry that equals it without case.
std::optional<stdfs::path> FindName(const stdfs::path& folder, StringView name,
                                    stdfs::file_status& status) {
  std::error_code error;
  stdfs::path as_given(vb::ToUtf8(name));
  status = stdfs::symlink_status(folder / as_given, error);
  if (stdfs::exists(status)) return as_given;
  std::optional<stdfs::path> found = FindNoCase(folder, name);
  if (found) status = stdfs::symlink_status(folder / *found, error);
  return found;
}

std::vector<StringView> ValidNames(StringView windows_path) {
  std::vector<StringView> names;
  switch (detail::AppendNames(windows_path.substr(3), names)) {
    case detail::NameWalk::kOk:
      break;
    case detail::NameWalk::kLeavesTop:
      Refuse(vb::kPermissionDenied, windows_path,
             u"leads outside drive " + DriveName(windows_path));
    case detail::NameWalk::kDotsOnlyName:
      Refuse(vb::kBadFileNameOrNumber, windows_path, u"holds a name made only of dots and blanks");
  }
  for (StringView& name : names) {
    name = detail::TrimTrailingDotsAndBlanks(name);
    String problem = detail::NameProblem(name);
    if (!problem.empty()) {
      Refuse(vb::kBadFileNameOrNumber, windows_path,
             u"is not valid: " + Quoted(name) + u" " + problem);
    }
  }
  return names;
}

Resolution Resolve(StringView windows_path) {
  if (windows_path.find(u'\0') != StringView::npos) {
    Refuse(vb::kPermissionDenied, windows_path, u"holds a NUL character");
  }
  if (!detail::StartsWithDrive(windows_path)) {
    Refuse(vb::kPathNotFound, windows_path, u"is not a physical path with a drive letter");
  }
  std::optional<detail::Drive> drive = detail::FindDrive(windows_path[0]);
  if (!drive) {
    vb::Raise(vb::kPathNotFound, u"Drive " + DriveName(windows_path) + u" is not mapped");
  }
  std::vector<StringView> names = ValidNames(windows_path);
  std::error_code error;
  Resolution result{drive->folder, stdfs::is_directory(drive->folder, error)};
  for (StringView name : names) {
    if (!result.exists) {
      result.path /= vb::ToUtf8(name);
      continue;
    }
    stdfs::file_status status;
    std::optional<stdfs::path> found = FindName(result.path, name, status);
    if (!found) {
      result.exists = false;
      result.path /= vb::ToUtf8(name);
      continue;
    }
    result.path /= *found;
    if (stdfs::is_symlink(status)) CheckLink(result.path, *drive, windows_path);
  }
  return result;
}

}  // namespace

std::filesystem::path ToHostPath(StringView windows_path) { return Resolve(windows_path).path; }

std::optional<std::filesystem::path> ResolveExisting(StringView windows_path) {
  Resolution resolution = Resolve(windows_path);
  if (!resolution.exists) return std::nullopt;
  return std::move(resolution.path);
}

size_t HostNameBytes(StringView name) { return vb::ToUtf8(name).size(); }

}  // namespace fs
