// The drive's path rules: a (user name, folder, entry name) is refused, or
// its path resolves strictly inside that user's drive, links followed.
//
// Input: UTF-8 text, the three parts separated by "|" (missing ones empty).
// The fixture's drive holds links to another drive, to the database folder,
// to the drive's own parent and to nowhere.
#include <limits.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "office/net_drive.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/fs/paths.h"
#include "platform/vb/convert.h"
#include "temp_folder.h"

namespace {

namespace stdfs = std::filesystem;

struct Site {
  TempFolder temp{"qe-fuzz-drive-"};
  stdfs::path folder = temp.Path();
  Site() {
    stdfs::path drives = folder / "site" / "Data_UploadFiles" / "NetDriver";
    stdfs::create_directories(drives / "li" / "docs");
    stdfs::create_directories(drives / "bob");
    stdfs::create_directories(folder / "site" / "data");
    std::ofstream(drives / "bob" / "secret.txt") << "bob";
    stdfs::create_directory_symlink(drives / "bob", drives / "li" / "bob");
    stdfs::create_directory_symlink("../../../data", drives / "li" / "docs" / "db");
    stdfs::create_directory_symlink("..", drives / "li" / "up");
    stdfs::create_symlink("nowhere", drives / "li" / "broken");
    fs::MapDrive(u'C', folder);
  }
};

// realpath of the longest part of the host path that exists, the rest
// appended as it stands.
std::string Resolved(const stdfs::path& path) {
  stdfs::path existing = path, rest;
  while (!existing.empty() && !stdfs::exists(existing)) {
    rest = rest.empty() ? existing.filename() : existing.filename() / rest;
    existing = existing.parent_path();
  }
  char buffer[PATH_MAX];
  if (!realpath(existing.c_str(), buffer)) abort();
  stdfs::path resolved(buffer);
  if (!rest.empty()) resolved /= rest;
  return resolved.lexically_normal().string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Site site;
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string parts[3];
  size_t at = 0;
  for (int i = 0; i < 3; ++i) {
    size_t bar = i < 2 ? input.find('|', at) : std::string::npos;
    parts[i] = input.substr(at, bar == std::string::npos ? std::string::npos : bar - at);
    if (bar == std::string::npos) break;
    at = bar + 1;
  }
  vb::String user = vb::FromUtf8(parts[0]), folder = vb::FromUtf8(parts[1]), name = vb::FromUtf8(parts[2]);
  if (!qe::netdrive::IsPlainName(user) || !qe::netdrive::HasSafeElements(folder) || !qe::netdrive::IsEntryName(name))
    return 0;
  asp::RequestSpec wanted;
  wanted.url = u"/qe/main/netdrivers.asp";
  asp::Context context(std::move(wanted));
  vb::Variant server = context.Server();
  vb::String root = qe::netdrive::kDrivesFolder + user;
  vb::String real_root;
  try {
    real_root = vb::CStr(com::Call(server, u"MapPath", root));
  } catch (const vb::Error&) {
    return 0;
  }
  std::optional<vb::String> real = qe::netdrive::MapInside(server, root + u"/" + folder + u"/" + name, real_root, false);
  if (!real) return 0;
  std::string inner = Resolved(fs::ToHostPath(*real));
  std::string outer = Resolved(fs::ToHostPath(real_root));
  if (inner.size() <= outer.size() + 1 || inner.compare(0, outer.size(), outer) != 0 || inner[outer.size()] != '/') {
    fprintf(stderr, "outside the drive: %s (drive %s)\n", inner.c_str(), outer.c_str());
    abort();
  }
  return 0;
}
