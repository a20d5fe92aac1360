#pragma once
// Test parameters as readable, single-line names in test listings.
#include <string>

#include "platform/vb/string.h"

namespace qe_test {

// UTF-8 in double quotes, with control characters shown as "^@", "^I" ...
// (the quotes keep a final "\\" from escaping CTest's list separator).
inline std::string Printable(vb::StringView text) {
  std::string out = "\"";
  for (char c : vb::ToUtf8(text)) {
    if (static_cast<unsigned char>(c) < 0x20) {
      out += '^';
      out += static_cast<char>(c + 0x40);
    } else {
      out += c;
    }
  }
  return out + '"';
}

}  // namespace qe_test
