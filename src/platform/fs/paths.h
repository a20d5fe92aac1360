#pragma once
// Windows paths as the component sees them, over host folders.
//
// A real path holds ":\" or ":/" ("C:\site\data\qe.asp"); its drive letter is
// mapped to a host folder (a configured table; tests map C: to a temporary
// folder). Each name is resolved case-insensitively against what exists: the
// name as given is tried first, and a folder is scanned only when it is
// missing. A path never leaves its drive: not through "..", not through an
// absolute host path, not through a symbolic link.
#include <filesystem>
#include <optional>

#include "platform/vb/string.h"

namespace fs {

using vb::String;
using vb::StringView;

// The drive map (process-wide configuration, set by the host or a test).
void MapDrive(char16_t letter, std::filesystem::path host_folder);
void UnmapDrive(char16_t letter);
std::optional<std::filesystem::path> DriveFolder(char16_t letter);

// True when the path holds ":\" or ":/".
bool IsRealPath(StringView path);

// Server.MapPath: `site_root` is the site's physical path ("C:\site"), `page`
// the current page's virtual path ("/qe/index.asp"), `path` a virtual path
// ("/data", "x.asp", "..\img", "\Data"; "\" and "/" both separate, "//" is
// one). A path that starts with a separator is from the site root; any other
// from the page's folder. Raises vb::Error (5, with a clear description) when
// the path would leave the site, or when `path` is a real path.
String MapPath(StringView site_root, StringView page, StringView path);

// The host path of a real path: the drive's folder, then each name resolved
// case-insensitively (names that do not exist yet are kept as given, so the
// result can be created). Raises vb::Error 76 (path not found) for an
// unmapped drive or a path that is not real, and vb::Error 70 (permission
// denied) for a path that would leave its drive.
std::filesystem::path ToHostPath(StringView windows_path);

}  // namespace fs
