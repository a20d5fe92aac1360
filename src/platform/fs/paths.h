#pragma once
// Windows paths as the component sees them, over host folders.
//
// A real path holds ":\" or ":/" ("C:\site\data\qe.asp"); its drive letter is
// mapped to a host folder (a configured table; tests map C: to a temporary
// folder). Each name is resolved case-insensitively against what exists: the
// name as given is tried first; when it is missing, each of its spellings
// without case is looked up when it has few (a generated name of digits and
// an extension), and its folder is listed only when it has many. Saving a new
// file costs the same in an empty folder and in one of tens of thousands.
// A path never leaves its drive: not through "..", not through an absolute
// host path, not through a symbolic link.
//
// This is where host paths come from: code above the platform never builds
// one itself.
#include <filesystem>
#include <optional>

#include "platform/vb/string.h"

namespace fs {

using vb::String;
using vb::StringView;

// The drive map (process-wide configuration, set by the host or a test; safe
// to use from any thread). Letters are case-insensitive; anything but A-Z
// raises vb::Error 5.
void MapDrive(char16_t letter, std::filesystem::path host_folder);
void UnmapDrive(char16_t letter);
std::optional<std::filesystem::path> DriveFolder(char16_t letter);

// True when the path holds ":\" or ":/".
bool IsRealPath(StringView path);

// One name on the host holds at most this many bytes (Linux file systems),
// while Windows counts 255 UTF-16 code units: a name of Chinese characters
// that Windows takes may be too long here.
inline constexpr size_t kMaxHostNameBytes = 255;
// The bytes the name takes on the host.
size_t HostNameBytes(StringView name);

// Server.MapPath: `site_root` is the site's physical path ("C:\site"), `page`
// the current page's virtual path ("/qe/index.asp"), `path` a virtual path
// ("/data", "x.asp", "..\img", "\Data"; "\" and "/" both separate, "//" is
// one). A path that starts with a separator is from the site root; any other
// (the empty one included) from the page's folder. "." and ".." are resolved;
// names keep their case; the result uses "\" and has no trailing separator
// ("C:\site\qe", "C:\site\data\qe.asp"). Raises vb::Error (5, with a clear
// description) when the path would leave the site, when `path` is a real path
// or holds ":" or NUL, or when a name is made only of dots and blanks.
String MapPath(StringView site_root, StringView page, StringView path);

// The host path of a real path: the drive's folder, then each name resolved
// case-insensitively (names that do not exist yet are kept as given, so the
// result can be created). As on Windows, "\" and "/" both separate, "." and
// ".." are resolved by name, and trailing dots and blanks of a name are
// dropped ("qe.asp." is "qe.asp").
// Raises vb::Error:
//   76 (path not found) for an unmapped drive or a path that is not real;
//   70 (permission denied) for a path that would leave its drive (".." above
//      the drive's root, a symbolic link leading out of its folder or nowhere)
//      and for a NUL character;
//   52 (bad file name) for a name Windows refuses: a device name ("con",
//      "nul.txt", "COM1"), ":" (alternate streams), < > " | ? * or a control
//      character, a name made only of dots and blanks or longer than 255 characters
//      (a shorter one may still be too long for the host). Callers that take wildcards split
//      the pattern off first.
std::filesystem::path ToHostPath(StringView windows_path);

// ToHostPath when the path names an existing file or folder, std::nullopt
// when it does not; raises as ToHostPath does.
std::optional<std::filesystem::path> ResolveExisting(StringView windows_path);

}  // namespace fs

namespace fs {

// True when the real path lies inside the real folder (or is it, with
// `or_same`), both compared as host paths with every link followed (for names
// that do not exist yet, those of the part that does). False for a path the
// model refuses.
bool LiesInside(StringView windows_path, StringView windows_folder, bool or_same);

}  // namespace fs
