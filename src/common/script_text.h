#pragma once
// Text placed inside a client-script string, in either quote.
#include "platform/vb/string.h"

namespace qe {

// Escapes what would end or break a script string: backslash, both quotes,
// CR, LF, the line and paragraph separators, and "</" (which would close the
// script element). Other text is returned unchanged.
vb::String ScriptStringEscape(vb::StringView text);

}  // namespace qe
