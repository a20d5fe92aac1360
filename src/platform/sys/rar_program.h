#pragma once
// "rar.exe" of this platform: the rar command-line tool for extraction.
//
//   rar x [-r] [-o+] [-p-] [-y] ARCHIVE [FOLDER]
//
// extracts with full paths into FOLDER (the current folder without one),
// replacing existing files, through libarchive (RAR 4 and 5; no password, so
// encrypted archives fail). The last argument is the destination when it
// ends in "\" or names an existing folder. The archive is checked whole first
// and the folder changes only when everything is out. Packing ("a") is not
// available: Debian has no rar packer, so it fails.
#include <cstdint>
#include <vector>

#include "platform/vb/string.h"

namespace sys {

// The tool's exit codes.
inline constexpr int32_t kRarSuccess = 0;
inline constexpr int32_t kRarFatalError = 2;    // also: packing, refused entries, the size cap
inline constexpr int32_t kRarDataError = 3;     // broken data
inline constexpr int32_t kRarWriteError = 5;
inline constexpr int32_t kRarOpenError = 6;     // a missing archive, or no rar archive
inline constexpr int32_t kRarUserError = 7;     // an unknown command, switch or argument
inline constexpr int32_t kRarNoFiles = 10;
inline constexpr int32_t kRarBadPassword = 11;  // an encrypted archive

// The arguments after the program name.
int32_t RunRar(const std::vector<vb::String>& arguments);

}  // namespace sys
