#include "host/static_files.h"

#include <sys/stat.h>

#include "common/private_site_files.h"
#include "host/content_types.h"
#include "platform/fs/paths.h"
#include "platform/vb/error.h"

namespace host {
namespace {

// The first name of `file` below `folder`, both canonical; "" when the file is
// not below it.
std::string FirstNameBelow(const std::filesystem::path& folder, const std::filesystem::path& file) {
  std::filesystem::path relative = file.lexically_relative(folder);
  if (relative.empty() || *relative.begin() == "..") return {};
  return relative.begin()->string();
}

}  // namespace

bool IsPrivateUploadFolderName(vb::StringView name) {
  return vb::EqualsNoCase(name, u"NetDriver") || vb::EqualsNoCase(name, u"AutoBackup");
}

std::optional<StaticFile> FindStaticFile(const std::filesystem::path& site_folder, vb::StringView virtual_path) {
  std::optional<std::filesystem::path> found;
  try {
    found = fs::ResolveExisting(fs::MapPath(u"C:\\", virtual_path, virtual_path));
  } catch (const vb::Error&) {
    return std::nullopt;  // a name Windows refuses, or a path that leaves the site
  }
  if (!found) return std::nullopt;
  std::error_code error;
  std::filesystem::path file = std::filesystem::canonical(*found, error);
  std::filesystem::path root = std::filesystem::canonical(site_folder, error);
  if (error) return std::nullopt;
  std::string first = FirstNameBelow(root, file);
  if (first.empty() || qe::IsPrivateSiteFile(root, file)) return std::nullopt;

  struct stat status {};
  if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  std::optional<std::string_view> type = ContentTypeOf(file.filename().string());
  if (!type) return std::nullopt;
  return StaticFile{file, *type, static_cast<uint64_t>(status.st_size), status.st_mtime};
}

}  // namespace host
