#pragma once
// Byte data and the texts that carry bytes. A variant's bytes: a byte array's
// own, or the UTF-16 storage of its text (two bytes per character, low byte
// first); a number or date is taken as its text, as VB's LenB takes it.
#include "platform/vb/variant.h"

namespace qe {

// Each byte as a decimal number, run together ("123" for the bytes 1 and 23,
// and for 12 and 3).
vb::String KesraBinaryToString(const vb::Variant& p_Binary);

// The bytes of a text built byte by byte, as a byte array; the empty text for
// no bytes (not an empty array).
vb::Variant KesraMultiByteToBinary(const vb::Variant& p_MultiByte);

// Bytes read as text of code page 936: a byte array's bytes, or those of a text
// built byte by byte. Anything else is taken as its text.
vb::String KesraRsBinaryToString(const vb::Variant& p_Binary);

}  // namespace qe
