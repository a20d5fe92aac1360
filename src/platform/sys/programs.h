#pragma once
// Running a command line without any shell: the platform's own programs,
// looked up by file name in any folder. The interpreter ("cmd.exe /c ...")
// runs the command that follows its switch; "rar.exe" is the rar tool
// (rar_program.h). Nothing else runs: & | < > ^ % are ordinary characters,
// and paths are Windows paths through the drive map.
#include <cstdint>
#include <vector>

#include "platform/vb/string.h"

namespace sys {

// The interpreter's exit code for a program it does not know.
inline constexpr int32_t kProgramNotFound = 9009;

// Runs the line and gives the program's exit code; records the line first.
int32_t RunCommandLine(vb::StringView line);

// The lines run in this process, oldest first (the last 100); tests.
std::vector<vb::String> CommandLinesRun();
void ClearCommandLinesRun();

}  // namespace sys
