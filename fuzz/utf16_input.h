#pragma once
// Fuzz input read as UTF-16 code units: one byte each (so that dictionaries
// and patterns stay readable to the fuzzer), with 0xFF as an escape for the
// next two bytes as one unit.
#include <cstddef>
#include <cstdint>

#include "platform/vb/string.h"

inline vb::String Utf16Units(const uint8_t* data, size_t size) {
  vb::String out;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF && i + 2 < size) {
      out.push_back(static_cast<char16_t>(data[i + 1] << 8 | data[i + 2]));
      i += 2;
    } else {
      out.push_back(data[i]);
    }
  }
  return out;
}
