#pragma once
// VB's string functions, with VB's rules (positions from 1, blanks-only trims).
#include "platform/vb/variant.h"

namespace vb {

enum CompareMethod { vbBinaryCompare = 0, vbTextCompare = 1 };

// Trim/LTrim/RTrim remove blanks (U+0020) only.
String Trim(StringView s);
String LTrim(StringView s);
String RTrim(StringView s);

}  // namespace vb
