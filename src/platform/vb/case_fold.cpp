#include "platform/vb/case_fold.h"

#include <unicode/uchar.h>

#include "platform/vb/strings.h"

namespace vb {
namespace {

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// A simple mapping of a BMP character stays in the BMP; the check keeps a
// code unit should a future table say otherwise.
char16_t Mapped(char16_t c, UChar32 to) { return to <= 0xFFFF ? static_cast<char16_t>(to) : c; }

template <class Map>
String MapEach(StringView s, Map map) {
  String out(s);
  for (auto& c : out) c = map(c);
  return out;
}

}  // namespace

char16_t LowerChar(char16_t c) {
  if (c < 0x80) return AsciiLower(c);
  return IsSurrogate(c) ? c : Mapped(c, u_tolower(c));
}

char16_t UpperChar(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  return IsSurrogate(c) ? c : Mapped(c, u_toupper(c));
}

char16_t FoldChar(char16_t c) {
  if (c < 0x80) return AsciiLower(c);
  return IsSurrogate(c) ? c : Mapped(c, u_foldCase(c, U_FOLD_CASE_DEFAULT));
}

String LCase(StringView s) { return MapEach(s, LowerChar); }
String UCase(StringView s) { return MapEach(s, UpperChar); }

}  // namespace vb
