#pragma once
// Case mapping of single UTF-16 code units (Unicode simple mappings; surrogate
// halves are left alone).
#include "platform/vb/string.h"

namespace vb {

char16_t LowerChar(char16_t c);
char16_t UpperChar(char16_t c);
// The form text compare uses: simple case folding.
char16_t FoldChar(char16_t c);

}  // namespace vb
