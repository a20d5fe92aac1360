#pragma once
// The second UBB converter, for stored text that may hold the author's own
// HTML, and the script filter it starts with.
#include <span>

#include "editors/ubb_steps.h"
#include "platform/vb/string.h"

namespace qe {

// The filter's nine replacements in their order (any letter case):
// "JavaScript" → "&#106avascript", "jscript:" → "&#106script:", "js:" →
// "&#106s:", "about:" → "about&#58", "file:" → "file&#58", "document" + any
// character + "cookie" → "documents&#46cookie", "vbscript:" →
// "&#118bscript:", "vbs:" → "&#118bs:", "on" + mouse/exit/error/click/key →
// "&#111n..." (a reference that a digit follows gets its ";", so that it
// still reads as the same character); then the markup guard, which takes
// what those words miss.
vb::String KesraFilterJS(vb::StringView p_String);

// KesraFilterJS, then the 28 steps (no gates), then every "<I></I>" removed;
// the markup guard then takes what the steps built, keeping only the two
// handlers the picture steps write, with their values.
vb::String KesraUBBCode1(vb::StringView p_String);

namespace ubb {
// The converter's steps, in their order (for the tests).
std::span<const Step> SecondConverterSteps();
}  // namespace ubb

}  // namespace qe
