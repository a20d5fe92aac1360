#pragma once
// Searches of the UBB converters that copy nothing: their texts run to
// megabytes and are searched once per gate and per step.
#include <cstddef>

#include "platform/vb/string.h"

namespace qe::ubb {

inline constexpr size_t kNotFound = static_cast<size_t>(-1);

// As the patterns compare with IgnoreCase (ASCII letters folded);
// `lower_needle` in lower case.
size_t FindCaseless(vb::StringView text, vb::StringView lower_needle, size_t from = 0);
size_t FindLastCaseless(vb::StringView text, vb::StringView lower_needle);
bool IsCaselessAt(vb::StringView text, size_t at, vb::StringView lower_needle);

// As InStr with text compare (vb::FoldChar on both sides).
size_t FindTextCompare(vb::StringView text, vb::StringView needle, size_t from = 0);

}  // namespace qe::ubb
