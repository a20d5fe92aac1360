#pragma once
// Test parameters as readable, single-line names in test listings.
#include <string>

#include "platform/vb/string.h"

namespace qe_test {

// UTF-8 in double quotes, with control characters shown as "^@", "^I" ...
// (the quotes keep a final "\\" from escaping CTest's list separator), and a
// run of more than eight of one ASCII character as "{a×255}", so that a long
// name keeps a short line. A text longer than `most` UTF-16 units is cut
// there, the cut shown as "…": for cases that their beginnings tell apart.
inline std::string Printable(vb::StringView text, size_t most = vb::StringView::npos) {
  constexpr size_t kLongestRun = 8;
  std::string utf8;
  if (text.size() > most) {
    // Never half of a surrogate pair.
    const size_t cut = most > 0 && text[most - 1] >= 0xD800 && text[most - 1] < 0xDC00 ? most - 1 : most;
    utf8 = vb::ToUtf8(text.substr(0, cut)) + "…";
  } else {
    utf8 = vb::ToUtf8(text);
  }
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
