#include "office/net_drive.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "common/kesra_error_page.h"
#include "common/script_text.h"
#include "office/qe_user.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe::netdrive {
namespace {

bool IsControl(char16_t c) { return c < 0x20 || c == 0x7f; }

// The disk finds names in any letter case: "BOB" would find bob's folder.
// The folder belongs to the user whose name it bears exactly.
bool NamesAnothersFolder(const vb::String& real_root, const vb::String& user) {
  std::optional<std::filesystem::path> found = fs::ResolveExisting(real_root);
  return found && vb::FromUtf8(found->filename().native()) != user;
}

vb::Variant FileSystem() { return vb::Variant(com::CreateObject(u"Scripting.FileSystemObject")); }

}  // namespace

std::optional<Drive> UserDrive(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response) {
  vb::Variant name = QeGetUserName(Response, Session);
  if (asp::ResponseEnded(Response)) return std::nullopt;
  vb::String user = name.IsNull() ? vb::String() : vb::CStr(name);
  Drive drive{kDrivesFolder + user, {}};
  if (IsPlainName(user)) {
    try {
      drive.real_root = vb::CStr(com::Call(Server, u"MapPath", drive.root));
      if (!NamesAnothersFolder(drive.real_root, user)) return drive;
    } catch (const vb::Error&) {
      // A name the platform refuses ("con", "a*b") is refused as illegal.
    }
  }
  KesraShowErrorPageWithoutData(Response, kIllegalPathMessage, false, u"");
  return std::nullopt;
}

bool IsPlainName(vb::StringView name) {
  // The disk drops trailing dots and blanks: "bob." and "bob " are bob.
  auto loose = [](char16_t c) { return c == u' ' || c == u'.'; };
  if (name.empty() || loose(name.front()) || loose(name.back())) return false;
  for (char16_t c : name)
    if (c == u'/' || c == u'\\' || c == u':' || IsControl(c)) return false;
  return true;
}

bool HasSafeElements(vb::StringView path) {
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && IsControl(path[i])) return false;
    if (i == path.size() || path[i] == u'/' || path[i] == u'\\') {
      vb::StringView element = path.substr(start, i - start);
      if (element == u"." || element == u"..") return false;
      start = i + 1;
    }
  }
  return true;
}

bool IsEntryName(vb::StringView name) {
  return !name.empty() && name.find_first_of(u"/\\") == vb::StringView::npos && HasSafeElements(name);
}

std::optional<vb::String> MapInside(vb::Variant& Server, vb::StringView virtual_path, vb::StringView real_folder,
                                    bool or_same) {
  vb::String real;
  try {
    real = vb::CStr(com::Call(Server, u"MapPath", vb::String(virtual_path)));
  } catch (const vb::Error&) {
    return std::nullopt;
  }
  if (!fs::LiesInside(real, real_folder, or_same)) return std::nullopt;
  return real;
}

bool MapPathRefuses(vb::Variant& Server, vb::StringView virtual_path) {
  try {
    com::Call(Server, u"MapPath", vb::String(virtual_path));
    return false;
  } catch (const vb::Error&) {
    return true;
  }
}

vb::String ScriptString(vb::StringView text) { return ScriptStringEscape(text); }

vb::String FolderInAddress(vb::StringView folder) {
  vb::String encoded;
  for (char16_t c : folder) {
    switch (c) {
      case u'%': encoded += u"%25"; break;
      case u'&': encoded += u"%26"; break;
      case u'#': encoded += u"%23"; break;
      case u'+': encoded += u"%2B"; break;
      default: encoded.push_back(c);
    }
  }
  return ScriptStringEscape(encoded);
}

double FolderSize(vb::StringView real_folder) {
  try {
    vb::Variant folder = com::Call(FileSystem(), u"GetFolder", vb::String(real_folder));
    return vb::CDbl(com::Call(folder, u"Size"));
  } catch (const vb::Error&) {
    return 0;  // no drive folder yet: nothing stored
  }
}

double FileSpace(double bytes) { return std::max(bytes, kDiskBlockBytes); }

double SpaceTaken(vb::StringView real_folder) {
  std::filesystem::path host;
  try {
    host = fs::ToHostPath(real_folder);
  } catch (const vb::Error&) {
    return 0;
  }
  double taken = 0;
  std::error_code error;
  std::filesystem::recursive_directory_iterator it(host, std::filesystem::directory_options::skip_permission_denied,
                                                   error);
  for (std::filesystem::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
    // An entry renamed or removed meanwhile still counts its block.
    std::error_code gone;
    const bool file = std::filesystem::is_regular_file(it->symlink_status(gone));
    const uintmax_t size = file && !gone ? it->file_size(gone) : 0;
    taken += file && !gone ? FileSpace(static_cast<double>(size)) : kDiskBlockBytes;
  }
  return taken;
}

double EntrySpace(vb::StringView real_path) {
  std::optional<std::filesystem::path> found;
  try {
    found = fs::ResolveExisting(real_path);
  } catch (const vb::Error&) {
    return 0;
  }
  if (!found) return 0;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::symlink_status(*found, error);
  if (std::filesystem::is_directory(status)) return kDiskBlockBytes + SpaceTaken(real_path);
  if (!std::filesystem::is_regular_file(status)) return kDiskBlockBytes;
  const uintmax_t size = std::filesystem::file_size(*found, error);
  return error ? kDiskBlockBytes : FileSpace(static_cast<double>(size));
}

double NewFolderSpace(vb::StringView real_path) {
  std::filesystem::path host;
  try {
    host = fs::ToHostPath(real_path);
  } catch (const vb::Error&) {
    return kDiskBlockBytes;
  }
  double space = 0;
  std::error_code error;
  for (; host.has_relative_path() && !std::filesystem::exists(std::filesystem::symlink_status(host, error));
       host = host.parent_path())
    space += kDiskBlockBytes;
  return std::max(space, kDiskBlockBytes);
}

std::unique_lock<std::mutex> LockDrive(vb::StringView real_root) {
  // One mutex per drive for the life of the process: a school's users, a few
  // bytes each.
  static std::mutex registry_lock;
  static std::map<vb::String, std::shared_ptr<std::mutex>> locks;
  std::shared_ptr<std::mutex> lock;
  {
    std::lock_guard<std::mutex> guard(registry_lock);
    std::shared_ptr<std::mutex>& slot = locks[vb::LCase(vb::String(real_root))];
    if (!slot) slot = std::make_shared<std::mutex>();
    lock = slot;
  }
  return std::unique_lock<std::mutex>(*lock);
}

}  // namespace qe::netdrive
