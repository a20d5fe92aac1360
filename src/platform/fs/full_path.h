#pragma once
// Windows paths made absolute, as GetFullPathName makes them, and the folders
// that every Windows machine has.
//
// The component hands the platform paths as pages give them: "C:\site\a.txt",
// but also "/A/B" (rooted on the current drive) or "update\update.bat"
// (relative to the current folder). The server process runs in the system
// folder, as a service does, so the current drive is C: and the current folder
// C:\Windows\System32 unless the host sets another.
#include "platform/vb/string.h"

namespace fs {

using vb::String;
using vb::StringView;

inline constexpr char16_t kWindowsFolder[] = u"C:\\Windows";
inline constexpr char16_t kSystemFolder[] = u"C:\\Windows\\System32";
inline constexpr char16_t kTempFolder[] = u"C:\\Windows\\Temp";

// The process's current folder (a real path; process-wide, safe from any thread).
String CurrentFolder();
void SetCurrentFolder(StringView real_path);

// The path made absolute: a real path as it is, "\x" or "/x" on the current
// drive, "X:x" from the root of X:, anything else from the current folder.
// Names are kept as given; "\" and "/" both separate and come out as "\";
// "." and ".." are resolved; a trailing separator is kept ("C:\a\").
// Raises vb::Error 52 for an empty path or a name made only of dots and
// blanks, 70 for a path whose ".." would climb above its drive, and 76 for a
// network path ("\\server\share"), which this server does not reach.
String FullPath(StringView path);

// True when the path ends in "\" or "/".
bool EndsWithSeparator(StringView path);

}  // namespace fs
