#pragma once
// The two halves of Format, shared with its named formats.
#include <vector>

#include "platform/vb/variant.h"

namespace vb::format {

struct PatternChar {
  char16_t c;
  bool literal;  // quoted or escaped with a backslash
};

// The characters of a pattern, with quotes and backslashes taken off the
// literal ones.
std::vector<PatternChar> Unquote(StringView pattern);

// True when the pattern holds a date token outside quotes and escapes.
bool IsDatePattern(StringView pattern);
String DatePattern(Date date, StringView pattern);
String NumberPattern(double value, StringView pattern);

}  // namespace vb::format
