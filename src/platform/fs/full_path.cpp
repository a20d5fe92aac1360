#include "platform/fs/full_path.h"

#include <mutex>
#include <vector>

#include "platform/fs/path_names.h"
#include "platform/vb/error.h"

namespace fs {

namespace {

using detail::IsSeparator;
using detail::Quoted;

struct CurrentFolderSetting {
  std::mutex mutex;
  String folder = kSystemFolder;
};

CurrentFolderSetting& Setting() {
  static CurrentFolderSetting setting;
  return setting;
}

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

struct Split {
  String drive;  // "C:"
  String rest;   // names after the drive, from its root
};

Split SplitDrive(StringView path) {
  if (path.size() >= 2 && path[1] == u':' && IsDriveLetter(path[0])) {
    return {String(path.substr(0, 2)), String(path.substr(2))};
  }
  String current = CurrentFolder();
  Split split{current.substr(0, 2), {}};
  if (IsSeparator(path[0])) {
    if (path.size() >= 2 && IsSeparator(path[1])) {
      vb::Raise(vb::kPathNotFound, u"The network path " + Quoted(path) + u" cannot be reached");
    }
    split.rest = String(path);
  } else {
    split.rest = current.substr(2) + u"\\" + String(path);
  }
  return split;
}

}  // namespace

String CurrentFolder() {
  std::lock_guard lock(Setting().mutex);
  return Setting().folder;
}

void SetCurrentFolder(StringView real_path) {
  if (!detail::StartsWithDrive(real_path)) {
    vb::Raise(vb::kInvalidProcedureCall, u"The current folder must be a real path: " + Quoted(real_path));
  }
  std::lock_guard lock(Setting().mutex);
  Setting().folder = String(real_path);
}

bool EndsWithSeparator(StringView path) { return !path.empty() && IsSeparator(path.back()); }

String FullPath(StringView path) {
  if (path.empty()) vb::Raise(vb::kBadFileNameOrNumber, u"The path is empty");
  Split split = SplitDrive(path);
  std::vector<StringView> names;
  switch (detail::AppendNames(split.rest, names)) {
    case detail::NameWalk::kOk:
      break;
    case detail::NameWalk::kLeavesTop:
      vb::Raise(vb::kPermissionDenied, u"The path " + Quoted(path) + u" leads outside drive " + split.drive);
    case detail::NameWalk::kDotsOnlyName:
      vb::Raise(vb::kBadFileNameOrNumber, u"The path " + Quoted(path) + u" holds a name made only of dots and blanks");
  }
  String full = detail::JoinNames(split.drive, names);
  if (!names.empty() && EndsWithSeparator(path)) full += u'\\';
  return full;
}

}  // namespace fs
