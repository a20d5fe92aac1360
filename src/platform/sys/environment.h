#pragma once
// The server's environment values as the component reads them (Environ):
// found by name in any letter case, as Windows keeps them.
//
// Only values the operator set for the system are seen: the host variable
// "QE_" + name (QE_COMPUTERNAME answers "computername"). The inherited
// environment is never read under its own names: a login shell sets USERNAME
// and HOSTNAME for itself, and pages must not show them to visitors.
#include "platform/vb/string.h"

namespace sys {

// The value, or "" when the operator set none.
vb::String Environ(vb::StringView name);

}  // namespace sys
