#pragma once
// Percent coding of the UTF-8 of non-ASCII characters in web addresses, as
// browsers send them. Each UTF-16 code unit is coded on its own, so a
// character outside the Basic Multilingual Plane gives two three-byte escapes.
// Texts of more than 32,767 characters overflow (6).
#include "platform/vb/string.h"

namespace qe {

// "+" as "%2B", "%" as "%25", other ASCII as it is (blanks, "&", "=", "?",
// "#" and "/" too), anything else as the "%XX" escapes of its UTF-8 bytes.
vb::String KesraUrlEncode_GBToUtf8(vb::StringView p_String);

// "+" as a blank, "%XX" escapes of one-, two- and three-byte UTF-8 forms as
// their character (the "%" signs inside a form are not checked). An escape
// with no hexadecimal digits raises type mismatch (13).
vb::String KesraUrlDecode_GBToUtf8(vb::StringView p_String);

}  // namespace qe
