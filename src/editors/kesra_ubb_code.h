#pragma once
// The main UBB converter: stored plain text with UBB tags made into HTML that
// shows the text as typed, with the recognised tags and bare web, FTP and
// streaming addresses turned into markup.
#include <span>

#include "editors/ubb_steps.h"
#include "platform/vb/string.h"

namespace qe {

// The text encoded (KesraEncodeString2), then, unless it holds no "http://"
// and lacks "[" or "]", each group of steps whose gate occurs. The result is
// also left in p_String. What it returns runs no script, whatever the text:
// a group placed into an attribute cannot leave it, an address group with a
// scheme other than http, https, ftp, rtsp, mms or mailto leaves its match as
// typed, and the markup guard takes what the steps build together.
vb::String KesraUBBCode(vb::String& p_String);

// Pairs the open and close tags by count (text compare): the first open tag
// left and the first close tag left are replaced together, while both occur;
// surplus tags stay. The text is also left in `text`.
vb::String KesraUbbReplacePair(vb::String& text, vb::StringView open_tag, vb::StringView close_tag,
                               vb::StringView open_html, vb::StringView close_html);

namespace ubb {
// The converter's groups of steps, in their order (for the tests).
std::span<const StepGroup> MainConverterGroups();
}  // namespace ubb

}  // namespace qe
