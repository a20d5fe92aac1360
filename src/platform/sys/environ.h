#pragma once
// VB's Environ(name): the environment values that the component reads, as a
// Windows server has them. Names are compared without case.
//
// Besides the fixed values below, only values the operator set for the system
// are seen: the host variable "QE_" + name (QE_COMPUTERNAME answers
// "computername"). The inherited environment is never read under its own
// names: a login shell sets USERNAME and HOSTNAME for itself, and pages must
// not show them to visitors.
#include "platform/vb/string.h"

namespace sys {

// "ComSpec": the command interpreter in the system folder
// ("C:\Windows\system32\cmd.exe"); "SystemDrive": the system drive ("C:"
// unless set). Any other name gives the operator's value, or "".
vb::String Environ(vb::StringView name);

// The system drive (a letter and ":"), a setting of this server; a test can
// map it apart from the site's drive. Anything else raises vb::Error 5.
void SetSystemDrive(vb::StringView drive);

}  // namespace sys
