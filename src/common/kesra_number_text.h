#pragma once
// Numbers read from and written as text: byte counts as short size texts,
// and parameter texts as currency numbers.
#include "platform/vb/variant.h"

namespace qe {

// "0B" for "", then B below 1024, K, M and G with two decimals at most
// (1536 gives "1.5K"; no unit beyond G). 13 when the text is no number.
vb::String KesraGetFileSize(vb::String p_FileSize);

// A numeric text as currency (four decimals, halves to even); 0 for a blank
// or non-numeric text. 6 when it rounds to a whole number outside the 32-bit
// range, as pages have always seen it fail.
vb::Currency KesraStringToNumeric(vb::String p_String);

}  // namespace qe
