// Val: the leading number of a text.
#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/vb/error.h"
#include "platform/vb/numbers.h"

namespace vb {
namespace {

bool Skipped(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }

int DigitValue(char16_t c, int radix) {
  int d;
  if (c >= u'0' && c <= u'9') d = c - u'0';
  else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
  else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
  else return -1;
  return d < radix ? d : -1;
}

double RadixValue(const String& s, size_t i, int radix) {
  uint64_t v = 0;
  for (; i < s.size(); ++i) {
    int d = DigitValue(s[i], radix);
    if (d < 0) break;
    v = v * radix + d;
    if (v > 0xFFFFFFFFull) Raise(kOverflow);
  }
  bool long_suffix = i < s.size() && s[i] == u'&';
  if (v <= 0xFFFF && !long_suffix) return static_cast<int16_t>(v);
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

double Val(StringView text) {
  String s;
  for (char16_t c : text)
    if (!Skipped(c)) s.push_back(c);
  if (s.size() >= 2 && s[0] == u'&') {
    char16_t k = AsciiLower(s[1]);
    if (k == u'h') return RadixValue(s, 2, 16);
    if (k == u'o') return RadixValue(s, 2, 8);
    return 0;
  }
  std::string ascii;
  size_t i = 0;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ascii.push_back(static_cast<char>(s[i++]));
  bool digits = false;
  for (; i < s.size() && IsDigit(s[i]); ++i, digits = true) ascii.push_back(static_cast<char>(s[i]));
  if (i < s.size() && s[i] == u'.') {
    ascii.push_back('.');
    for (++i; i < s.size() && IsDigit(s[i]); ++i, digits = true) ascii.push_back(static_cast<char>(s[i]));
  }
  if (!digits) return 0;
  if (i + 1 < s.size() && (AsciiLower(s[i]) == u'e' || AsciiLower(s[i]) == u'd')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (s[j] == u'+' || s[j] == u'-') exponent.push_back(static_cast<char>(s[j++]));
    bool exponent_digits = false;
    for (; j < s.size() && IsDigit(s[j]); ++j, exponent_digits = true)
      exponent.push_back(static_cast<char>(s[j]));
    if (exponent_digits) ascii += exponent;
  }
  double v = std::strtod(ascii.c_str(), nullptr);
  if (std::isinf(v)) Raise(kOverflow);
  return v == 0 ? 0 : v;  // no negative zero
}

}  // namespace vb
