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
// serve, and anything inside the site's private folders (the database folder
// "/data" and the others of common/private_site_files.h, in any letter case),
// however the path reaches it: a link into such a folder is refused too.
std::optional<StaticFile> FindStaticFile(const std::filesystem::path& site_folder, vb::StringView virtual_path);

// True for a folder under the upload root "/Data_UploadFiles" that holds what
// is private to its owner: the users' network drives and automatic backups
// ("NetDriver", "AutoBackup", any case).
bool IsPrivateUploadFolderName(vb::StringView name);

}  // namespace host
