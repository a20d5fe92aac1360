#pragma once
// Test parameters as readable, single-line names in test listings.
#include <string>

#include "platform/vb/string.h"

namespace qe_test {

// UTF-8 in double quotes, with control characters shown as "^@", "^I" ...
// (the quotes keep a final "\\" from escaping CTest's list separator), and a
// run of more than eight of one ASCII character as "{a×255}", so that a long
// name keeps a short line.
inline std::string Printable(vb::StringView text) {
  constexpr size_t kLongestRun = 8;
  const std::string utf8 = vb::ToUtf8(text);
  std::string out = "\"";
  for (size_t i = 0; i < utf8.size();) {
    const char c = utf8[i];
    size_t run = 1;
    while (i + run < utf8.size() && utf8[i + run] == c) ++run;
    const bool collapsed = run > kLongestRun && static_cast<unsigned char>(c) < 0x80;
    if (collapsed) out += '{';
    if (static_cast<unsigned char>(c) < 0x20) {
      out += '^';
      out += static_cast<char>(c + 0x40);
    } else {
      out += c;
    }
    if (collapsed) out += "×" + std::to_string(run) + "}";
    i += collapsed ? run : 1;
  }
  return out + '"';
}

}  // namespace qe_test
