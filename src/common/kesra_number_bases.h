#pragma once
// Whole numbers written in other bases, and byte arrays written as numbers.
#include "platform/vb/variant.h"

namespace qe {

// Upper-case hexadecimal digits of a positive number, no prefix or leading
// zeros; "" for 0 and below. A fraction stays on the lowest digit, written as
// a decimal number ("F15.5" for 255.5).
vb::String KesraDecToHex(vb::Currency p_Dec);

// Binary digits of a positive number rounded to a Long (halves to even); ""
// for 0 and below; overflow (6) above 2,147,483,647.
vb::String KesraDecToBin(vb::Currency p_Dec);

// Each element as a decimal number (0..255), with p_Delimiter between them.
// An array never dimensioned raises 9; bounds past 16 bits overflow (6).
vb::String KesraJoin(const vb::Array& p_Array, vb::StringView p_Delimiter);

}  // namespace qe
