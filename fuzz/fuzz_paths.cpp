// Paths from requests: whatever MapPath accepts stays under the site root, and
// whatever ToHostPath accepts stays in the drive's folder, links followed.
//
// Input: one mode byte, then the page's path and the path, separated by the
// first "|" (without one, the page is "/qe/index.asp"). The mode's bit 1 makes
// each byte a piece of the drive's own names (so that runs reach its links);
// otherwise bit 0 reads the bytes as UTF-16LE, else as UTF-8.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/fs/paths.h"
#include "platform/vb/error.h"
#include "temp_folder.h"

namespace {

namespace stdfs = std::filesystem;
using vb::String;
using vb::StringView;

constexpr StringView kSiteRoot = u"C:\\site";

void Check(bool condition, const char* what, StringView path) {
  if (condition) return;
  fprintf(stderr, "%s: %s\n", what, vb::ToUtf8(path).c_str());
  abort();
}

// Drive C: with a site, links that stay on it and links that leave it.
struct Drive {
  TempFolder drive{"qe-fuzz-drive-"}, elsewhere{"qe-fuzz-outside-"};
  stdfs::path folder = drive.Path();
  stdfs::path outside = elsewhere.Path();
  stdfs::path real_folder;

  Drive() {
    stdfs::create_directories(folder / "site" / "qe");
    stdfs::create_directories(folder / "site" / "Data" / "sub");
    stdfs::create_directories(folder / "site" / "数据");
    std::ofstream(folder / "site" / "qe" / "index.asp") << "page";
    std::ofstream(folder / "site" / "Data" / "qe.asp") << "db";
    std::ofstream(folder / "site" / "数据" / "文件.txt") << "text";
    std::ofstream(outside / "secret") << "secret";
    stdfs::create_directory_symlink("Data", folder / "site" / "inside");
    stdfs::create_directory_symlink("..", folder / "site" / "top");
    stdfs::create_directory_symlink("../..", folder / "site" / "up");
    stdfs::create_directory_symlink(outside, folder / "site" / "out");
    stdfs::create_symlink(outside / "secret", folder / "site" / "Data" / "secret.txt");
    stdfs::create_symlink("nowhere", folder / "site" / "broken");
    real_folder = stdfs::canonical(folder);
    fs::MapDrive(u'C', folder);
  }
};

const Drive& TheDrive() {
  static Drive drive;
  return drive;
}

bool IsWithin(const stdfs::path& path, const stdfs::path& folder) {
  auto mismatch = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  if (mismatch.first != folder.end()) return false;
  for (auto name = mismatch.second; name != path.end(); ++name) {
    if (*name == "." || *name == ".." || name->empty()) return false;
  }
  return true;
}

bool IsUnderSiteRoot(StringView mapped) {
  if (mapped == kSiteRoot) return true;
  if (mapped.substr(0, kSiteRoot.size() + 1) != String(kSiteRoot) + u"\\") return false;
  StringView rest = mapped.substr(kSiteRoot.size() + 1);
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find(u'\\', start);
    if (end == StringView::npos) end = rest.size();
    StringView name = rest.substr(start, end - start);
    if (name.empty() || name == u"." || name == u".." || name.find(u'/') != StringView::npos) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

// The part of `host` that exists, with every link resolved; std::nullopt when
// a link there cannot be followed.
std::optional<stdfs::path> RealExistingPart(stdfs::path host) {
  std::error_code error;
  while (!stdfs::exists(stdfs::symlink_status(host, error))) host = host.parent_path();
  stdfs::path real = stdfs::canonical(host, error);
  if (error) return std::nullopt;
  return real;
}

void CheckHostPath(StringView windows_path) {
  const Drive& drive = TheDrive();
  stdfs::path host;
  try {
    host = fs::ToHostPath(windows_path);
  } catch (const vb::Error& e) {
    Check(e.Number() == vb::kPathNotFound || e.Number() == vb::kPermissionDenied ||
              e.Number() == vb::kBadFileNameOrNumber,
          "ToHostPath raised an unexpected number", windows_path);
    return;
  }
  Check(IsWithin(host, drive.folder), "ToHostPath left the drive's folder", windows_path);
  std::optional<stdfs::path> real = RealExistingPart(host);
  Check(real && IsWithin(*real, drive.real_folder), "ToHostPath followed a link out", windows_path);
}

void CheckMapPath(StringView page, StringView path) {
  String mapped;
  try {
    mapped = fs::MapPath(kSiteRoot, page, path);
  } catch (const vb::Error& e) {
    Check(e.Number() == vb::kInvalidProcedureCall, "MapPath raised an unexpected number", path);
    return;
  }
  Check(IsUnderSiteRoot(mapped), "MapPath left the site", path);
  CheckHostPath(mapped);
}

// clang-format off
constexpr StringView kPieces[] = {
    u"site", u"SITE", u"qe", u"index.asp", u"Data", u"DATA", u"data", u"sub", u"qe.asp",
    u"数据", u"文件.TXT", u"inside", u"INSIDE", u"top", u"up", u"out", u"Out", u"secret",
    u"secret.txt", u"broken", u"..", u".", u"...", u"\\", u"/", u"C:", u"c:\\", u":", u"|",
    u"con", u"nul.txt", u" ", u"*", StringView(u"\0", 1), u"/etc/passwd"};
// clang-format on

String Decode(const uint8_t* data, size_t size, uint8_t mode) {
  if (mode & 2) {
    String text;
    for (size_t i = 0; i < size; ++i) text += kPieces[data[i] % std::size(kPieces)];
    return text;
  }
  if (!(mode & 1)) return vb::FromUtf8({reinterpret_cast<const char*>(data), size});
  String text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  String text = Decode(data + 1, size - 1, data[0]);
  StringView page = u"/qe/index.asp";
  StringView path = text;
  if (size_t bar = text.find(u'|'); bar != String::npos) {
    page = StringView(text).substr(0, bar);
    path = StringView(text).substr(bar + 1);
  }
  CheckMapPath(page, path);
  CheckHostPath(path);
  CheckHostPath(u"C:\\site\\" + String(path));
  return 0;
}
