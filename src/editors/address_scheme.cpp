#include "editors/address_scheme.h"

#include <cstdint>

namespace qe::markup {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsHexDigit(char16_t c) { return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }
bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

int HexValue(char16_t c) {
  if (IsDigit(c)) return c - u'0';
  return AsciiLower(c) - u'a' + 10;
}

void AppendCodePoint(vb::String& out, uint32_t code) {
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
  if (code < 0x10000) {
    out.push_back(static_cast<char16_t>(code));
  } else {
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

struct NamedReference {
  const char16_t* name;  // after "&", with its ";"
  const char16_t* text;
};
constexpr NamedReference kSchemeReferences[] = {
    {u"colon;", u":"}, {u"Tab;", u"\t"}, {u"NewLine;", u"\n"},
    {u"period;", u"."}, {u"plus;", u"+"}, {u"fjlig;", u"fj"},
};

// A numeric reference at `at` ("&#..."): its length, 0 when it is none.
size_t ReadNumericReference(vb::StringView value, size_t at, vb::String& out) {
  size_t i = at + 2;
  const bool hex = i < value.size() && (value[i] == u'x' || value[i] == u'X');
  if (hex) ++i;
  const size_t digits = i;
  uint32_t code = 0;
  for (; i < value.size() && (hex ? IsHexDigit(value[i]) : IsDigit(value[i])); ++i) {
    code = code * (hex ? 16 : 10) + static_cast<uint32_t>(hex ? HexValue(value[i]) : value[i] - u'0');
    if (code > 0x10FFFF) code = 0x110000;  // stays out of range, never wraps
  }
  if (i == digits) return 0;
  if (i < value.size() && value[i] == u';') ++i;
  AppendCodePoint(out, code);
  return i - at;
}

bool IsAllowedScheme(vb::StringView scheme) {
  for (const char16_t* allowed : {u"http", u"https", u"ftp", u"rtsp", u"mms", u"mailto"})
    if (scheme == allowed) return true;
  return false;
}

// The address as the URL parser takes it: without tabs and line breaks, and
// without leading and trailing controls and blanks.
vb::String AddressText(vb::StringView value) {
  vb::String decoded = DecodeAttributeValue(value), out;
  for (char16_t c : decoded)
    if (c != u'\t' && c != u'\n' && c != u'\r') out.push_back(c);
  size_t first = 0, last = out.size();
  while (first < last && out[first] <= u' ') ++first;
  while (last > first && out[last - 1] <= u' ') --last;
  return out.substr(first, last - first);
}

}  // namespace

bool IsAddressAttribute(vb::StringView tag, vb::StringView attribute) {
  for (const char16_t* name : {u"href", u"src", u"action", u"formaction", u"data", u"codebase", u"background",
                               u"poster", u"xlink:href"})
    if (attribute == name) return true;
  return tag == u"param" && attribute == u"value";
}

vb::String DecodeAttributeValue(vb::StringView value) {
  vb::String out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size();) {
    if (value[i] != u'&') {
      out.push_back(value[i++]);
      continue;
    }
    if (i + 1 < value.size() && value[i + 1] == u'#') {
      if (const size_t length = ReadNumericReference(value, i, out)) {
        i += length;
        continue;
      }
    } else {
      bool named = false;
      for (const auto& reference : kSchemeReferences) {
        const vb::StringView name(reference.name);
        if (value.substr(i + 1, name.size()) == name) {
          out += reference.text;
          i += 1 + name.size();
          named = true;
          break;
        }
      }
      if (named) continue;
    }
    out.push_back(value[i++]);
  }
  return out;
}

vb::String AddressScheme(vb::StringView value) {
  const vb::String address = AddressText(value);
  if (address.empty() || !IsAsciiLetter(address[0])) return {};
  vb::String scheme;
  for (char16_t c : address) {
    if (c == u':') return scheme;
    if (!IsAsciiLetter(c) && !IsDigit(c) && c != u'+' && c != u'-' && c != u'.') return {};
    scheme.push_back(AsciiLower(c));
  }
  return {};
}

bool IsAllowedAddress(vb::StringView value, bool picture_source) {
  const vb::String scheme = AddressScheme(value);
  if (scheme.empty() || IsAllowedScheme(scheme)) return true;
  if (!picture_source || scheme != u"data") return false;
  const vb::String address = AddressText(value);
  size_t i = address.find(u':') + 1;
  while (i < address.size() && (address[i] == u' ' || address[i] == u'\f')) ++i;
  const vb::StringView kind = u"image/";
  if (address.size() - i < kind.size()) return false;
  for (size_t k = 0; k < kind.size(); ++k)
    if (AsciiLower(address[i + k]) != kind[k]) return false;
  return true;
}

}  // namespace qe::markup
