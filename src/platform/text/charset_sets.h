#pragma once
// The character sets behind FindCharset, one per file.
#include "platform/text/charset.h"

namespace text::sets {

const Charset& Cp936();
const Charset& Utf8();
const Charset& Utf16(bool big_endian);
const Charset& Ascii();
const Charset& Windows1252();
const Charset& Big5();

}  // namespace text::sets
