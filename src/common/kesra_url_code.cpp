#include "common/kesra_url_code.h"

#include "common/utf8_forms.h"
#include "platform/vb/error.h"

namespace qe {
namespace {

constexpr size_t kMaxLength = 32767;

void CheckLength(vb::StringView text) {
  if (text.size() > kMaxLength) vb::Raise(vb::kOverflow);
}

void AppendEscape(vb::String& out, unsigned byte) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  out += u'%';
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xF];
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The (up to) two characters from `at` read as a hexadecimal number; fewer at
// the end of the text. None, or one that is no digit, is a type mismatch.
unsigned HexPair(vb::StringView text, size_t at) {
  if (at >= text.size()) vb::Raise(vb::kTypeMismatch);
  unsigned value = 0;
  for (size_t k = at; k < at + 2 && k < text.size(); ++k) {
    const int digit = HexDigit(text[k]);
    if (digit < 0) vb::Raise(vb::kTypeMismatch);
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return value;
}

}  // namespace

vb::String KesraUrlEncode_GBToUtf8(vb::StringView p_String) {
  CheckLength(p_String);
  vb::String out;
  out.reserve(p_String.size());
  for (char16_t u : p_String) {
    if (u == u'+' || u == u'%') AppendEscape(out, u);
    else if (u < 0x80) out += u;
    else EmitUtf8Form(u, [&](unsigned byte) { AppendEscape(out, byte); });
  }
  return out;
}

vb::String KesraUrlDecode_GBToUtf8(vb::StringView p_String) {
  CheckLength(p_String);
  vb::String out;
  out.reserve(p_String.size());
  for (size_t i = 0; i < p_String.size(); ++i) {
    const char16_t c = p_String[i];
    if (c == u'+') {
      out += u' ';
    } else if (c != u'%') {
      out += c;
    } else {
      const unsigned b1 = HexPair(p_String, i + 1);
      if (b1 < 0x80) {
        out += static_cast<char16_t>(b1);
        i += 2;
      } else if (b1 >= 0xC0 && b1 <= 0xDF) {
        out += TwoByteForm(b1, HexPair(p_String, i + 4));
        i += 5;
      } else {
        const unsigned b2 = HexPair(p_String, i + 4), b3 = HexPair(p_String, i + 7);
        out += ThreeByteForm(b1, b2, b3);
        i += 8;
      }
    }
  }
  return out;
}

}  // namespace qe
