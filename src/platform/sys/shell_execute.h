#pragma once
// Opening a document with its program (ShellExecute) and the message box of
// an unattended component, on a server without a desktop: neither shows
// anything. An opening is recorded (and logged) instead of run; a message
// goes to the system log, as the run-time sends it to the event log.
#include <cstdint>
#include <vector>

#include "platform/vb/string.h"

namespace sys {

struct ShellOpening {
  vb::String verb;  // "OPEN", "EXPLORE"
  vb::String file;
};

// Records the opening and gives 42, a success value of ShellExecute (above 32).
int32_t ShellExecute(vb::StringView verb, vb::StringView file);

// MsgBox on a server: the title and message go to the system log.
void LogEvent(vb::StringView title, vb::StringView message);

// What was asked in this process, oldest first (the last 100 of each).
std::vector<ShellOpening> ShellOpenings();
std::vector<vb::String> LoggedEvents();
void ClearShellRecord();  // tests

// The folder of the component's own file (a real path): the system folder,
// where the component is installed, unless the host sets another.
vb::String ComponentFolder();
void SetComponentFolder(vb::StringView real_path);

}  // namespace sys
