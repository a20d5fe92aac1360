#pragma once
// Counts, positions and widths that the interface types as 16-bit Integers:
// past -32,768..32,767 they overflow (run-time error 6), as VB's Integer does.
#include <cstdint>

#include "platform/vb/error.h"

namespace qe {

inline int16_t IntegerCount(int64_t value) {
  if (value < INT16_MIN || value > INT16_MAX) vb::Raise(vb::kOverflow);
  return static_cast<int16_t>(value);
}

}  // namespace qe
