#pragma once
// Text placed inside a double-quoted client-script string.
#include "platform/vb/string.h"

namespace qe {

// Escapes what would end or break a double-quoted script string: backslash,
// double quote, CR, LF, the line and paragraph separators, and "</" (which
// would close the script element). Other text is returned unchanged.
vb::String ScriptStringEscape(vb::StringView text);

}  // namespace qe
