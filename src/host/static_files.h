#pragma once
// The site's own files, sent as they are.
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/vb/string.h"

namespace host {

struct StaticFile {
  std::filesystem::path host_path;
  std::string_view content_type;
  uint64_t size = 0;
  std::time_t modified = 0;
};

// The file a virtual path names in the site mounted as drive C: ("C:\" is the
// site root, `site_folder` its host folder), found as the web server finds it:
// names in any letter case, trailing dots and blanks dropped. nullopt for a
// path that names nothing or a folder, a file whose type the server does not
// serve, anything inside a database folder ("/data" in any letter case) or a
// private upload folder,
// however the path reaches it: a link into that folder is refused too.
std::optional<StaticFile> FindStaticFile(const std::filesystem::path& site_folder, vb::StringView virtual_path);

// True for a database folder's name at the site root: "data" in any case.
bool IsDatabaseFolderName(std::string_view name);

// True for a folder under the upload root "/Data_UploadFiles" that holds what
// is private to its owner: the users' network drives and automatic backups
// ("NetDriver", "AutoBackup", any case). Never served as static files: a
// saved page would run its script on the site's origin.
bool IsPrivateUploadFolderName(vb::StringView name);

}  // namespace host
