#pragma once
// UTF-8 carried in the component's strings. UTF-8 bytes travel as code-page
// text: the text that the bytes give in code page 936, each byte that makes no
// character there kept as an escape (platform/text/byte_text.h), so that
// encoding the text with the page gives the bytes back.
#include "platform/vb/variant.h"

namespace qe {

// The text's UTF-8 bytes as code-page text. p_IsNt true (Null counts false)
// converts the whole text (an unpaired surrogate becomes U+FFFD); false
// encodes each UTF-16 code unit by hand in one, two or three bytes (a
// surrogate pair as two three-byte forms), each byte as the character it gives
// on its own. p_IsHtml turns each CR LF of the result into "<br/>".
vb::String KesraCodeUnicodeToUtf8(vb::StringView strUnicode, const vb::Variant& p_IsNt, bool p_IsHtml);

// The text that the UTF-8 bytes of the code-page text p_String give. p_IsNt
// true decodes them whole (an invalid sequence becomes U+FFFD); false decodes
// the one-, two- and three-byte forms by hand without checking the
// continuation bytes, passing the bytes 0x80..0xC1 through as characters and
// ending a form cut short by the end with U+FFFD. Never raises.
vb::String KesraCodeUtf8ToUnicode(vb::StringView p_String, const vb::Variant& p_IsNt);

}  // namespace qe
