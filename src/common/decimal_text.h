#pragma once
// Whole numbers written into markup and SQL as plain decimal digits.
#include <cstdint>
#include <string>

#include "platform/vb/string.h"

namespace qe {

inline vb::String DecimalText(int64_t value) {
  const std::string digits = std::to_string(value);
  return vb::String(digits.begin(), digits.end());
}

}  // namespace qe
