#pragma once
// Plain text made safe for HTML and back, and tags removed. The replacement
// steps are exact (case-sensitive) and run in the order each procedure lists.
#include "platform/vb/string.h"

namespace qe {

// One pass, each character encoded once: < > " & as entities, CR as "<br>"
// (a line feed after it stays), a tab as four blanks, and a blank as "&nbsp;"
// at either end of the text or next to a blank or tab. Texts of more than
// 32,767 characters overflow (6).
vb::String KesraHtmlEncode(vb::StringView p_String);

// For multi-line text: > < blank tab " ' as entities ("&" is left alone), CR
// removed, two line feeds as "</P><P> ", one as "<BR> ".
vb::String KesraHtmlEncode2(vb::StringView p_String);
// The inverse: tabs come back as blanks, CRs do not come back, and the tags
// are matched in capitals only.
vb::String KesraHtmlUnEncode2(vb::StringView p_String);

// Tags replaced by one blank each; the text between them stays.
vb::String KesraNoHtml(vb::StringView p_String);

// Trimmed text for the UBB converter: < > as entities, an apostrophe as a
// double quote, CR LF CR LF as "</p><p>", CR LF as "<br>", two blanks as one
// ideographic space.
vb::String KesraEncodeString2(vb::StringView p_String);

// The five entity characters & < > ' " encoded ("" for a blank text), and
// decoded again from the trimmed text, "&amp;" last so that each entity is
// read once.
vb::String KesraEncodeString(vb::StringView p_String);
vb::String KesraUnEncodeString(vb::StringView p_String);

}  // namespace qe
