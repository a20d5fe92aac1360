#pragma once
// The site's files that no page hands out, downloaded or served as they are:
// the databases and their copies, scratch files and the users' own drives.
// One rule for the download procedure and for the web server's own files.
#include <filesystem>
#include <string_view>

namespace qe {

// The folders below the site root whose files stay on the server, by their
// path from the root in any letter case: the database folder and its backups,
// the scratch folder and the users' network drives.
inline constexpr std::string_view kPrivateSiteFolders[] = {"data", "data_backup", "temp",
                                                           "data_uploadfiles/netdriver"};
// A folder of this name, anywhere below the site root, holds database backups.
inline constexpr std::string_view kBackupFolderName = "AutoBackup";

// True when `file` (an existing host path) lies in one of the site's private
// folders; `site_folder` is the site root's host folder. Both are taken with
// their links resolved, so a link into a private folder is private too.
bool IsPrivateSiteFile(const std::filesystem::path& site_folder, const std::filesystem::path& file);

// True when `file` (an existing host path, links resolved) lies inside the
// folder of some mapped drive.
bool IsInsideMappedDrive(const std::filesystem::path& file);

}  // namespace qe
