#pragma once
// VB's String: counted UTF-16 code units, as the component counts them.
#include <string>
#include <string_view>

namespace vb {

using String = std::u16string;
using StringView = std::u16string_view;

// UTF-8 at the edges (command line, logs, test fixtures). Unpaired surrogates
// become U+FFFD on the way out; invalid UTF-8 becomes U+FFFD on the way in.
String FromUtf8(std::string_view text);
std::string ToUtf8(StringView text);

// ASCII-only case folding, used for member and key lookups that are
// case-insensitive in the platform.
char16_t AsciiLower(char16_t c);
String AsciiLowerCopy(StringView text);
bool EqualsNoCase(StringView a, StringView b);

struct NoCaseHash {
  size_t operator()(StringView s) const;
};
struct NoCaseEqual {
  bool operator()(StringView a, StringView b) const { return EqualsNoCase(a, b); }
};

}  // namespace vb
