#include "common/markup_encode.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "platform/text/ansi.h"

namespace qe {
namespace {

// Empty for a character written as it is.
vb::StringView HtmlEntity(char16_t c) {
  switch (c) {
    case u'&': return u"&amp;";
    case u'<': return u"&lt;";
    case u'>': return u"&gt;";
    case u'"': return u"&quot;";
    case u'\'': return u"&#39;";
    default: return {};
  }
}

// What ends an unquoted attribute value, or starts a new attribute, in the
// browsers' reading of markup.
bool EndsUnquotedValue(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'=' || c == u'`';
}

bool NeedsPercent(char16_t c) {
  if (c < 0x20 || c == 0x7F) return true;
  switch (c) {
    case u'%': case u'&': case u'+': case u'#': case u'=': case u'"': case u'\'':
    case u'<': case u'>': case u'`': case u' ':
      return true;
    default:
      return false;
  }
}

bool StaysInHeaderValue(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
         c == u'.' || c == u'_' || c == u'~' || c == u'/';
}

constexpr char16_t kHex[] = u"0123456789ABCDEF";

void AppendPercent(vb::String& out, unsigned char byte) {
  out.push_back(u'%');
  out.push_back(kHex[byte >> 4]);
  out.push_back(kHex[byte & 0xF]);
}

void AppendNumericReference(vb::String& out, char16_t c) {
  out += u"&#";
  const std::string digits = std::to_string(static_cast<int>(c));
  out.append(digits.begin(), digits.end());
  out += u';';
}

// One character of an attribute value: what would end the value as a reference.
void AppendInAttribute(vb::String& out, char16_t c, AttributeQuote quote) {
  const bool ends = quote == AttributeQuote::kDouble   ? c == u'"'
                    : quote == AttributeQuote::kSingle ? c == u'\''
                                                       : (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' ||
                                                          c == u'\f' || c == u'"' || c == u'\'' || c == u'`' ||
                                                          c == u'<' || c == u'>');
  if (!ends) out.push_back(c);
  else if (c == u'"' && quote == AttributeQuote::kDouble) out += u"&quot;";
  else AppendNumericReference(out, c);
}

bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsAsciiAlphanumeric(char16_t c) {
  return IsAsciiDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsHexDigit(char16_t c) { return IsAsciiDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

// The names a browser reads as references without their ";" (where the
// next character is neither a letter, a digit nor "=").
constexpr std::u16string_view kNamesWithoutSemicolon[] = {
    u"AElig",  u"AMP",    u"Aacute", u"Acirc",  u"Agrave", u"Aring",  u"Atilde", u"Auml",   u"COPY",   u"Ccedil",
    u"ETH",    u"Eacute", u"Ecirc",  u"Egrave", u"Euml",   u"GT",     u"Iacute", u"Icirc",  u"Igrave", u"Iuml",
    u"LT",     u"Ntilde", u"Oacute", u"Ocirc",  u"Ograve", u"Oslash", u"Otilde", u"Ouml",   u"QUOT",   u"REG",
    u"THORN",  u"Uacute", u"Ucirc",  u"Ugrave", u"Uuml",   u"Yacute", u"aacute", u"acirc",  u"acute",  u"aelig",
    u"agrave", u"amp",    u"aring",  u"atilde", u"auml",   u"brvbar", u"ccedil", u"cedil",  u"cent",   u"copy",
    u"curren", u"deg",    u"divide", u"eacute", u"ecirc",  u"egrave", u"eth",    u"euml",   u"frac12", u"frac14",
    u"frac34", u"gt",     u"iacute", u"icirc",  u"iexcl",  u"igrave", u"iquest", u"iuml",   u"laquo",  u"lt",
    u"macr",   u"micro",  u"middot", u"nbsp",   u"not",    u"ntilde", u"oacute", u"ocirc",  u"ograve", u"ordf",
    u"ordm",   u"oslash", u"otilde", u"ouml",   u"para",   u"plusmn", u"pound",  u"quot",   u"raquo",  u"reg",
    u"sect",   u"shy",    u"sup1",   u"sup2",   u"sup3",   u"szlig",  u"thorn",  u"times",  u"uacute", u"ucirc",
    u"ugrave", u"uml",    u"uuml",   u"yacute", u"yen",    u"yuml"};

// Whether a browser reads a character reference from the "&" at `at` of an
// attribute value: "&#" and a digit, "&#x" and a hex digit, a name and ";",
// or one of the old names alone. Unknown names with ";" count too: encoding
// them changes nothing a browser reads.
bool StartsReference(vb::StringView text, size_t at) {
  size_t i = at + 1;
  if (i < text.size() && text[i] == u'#') {
    ++i;
    if (i < text.size() && (text[i] == u'x' || text[i] == u'X')) return i + 1 < text.size() && IsHexDigit(text[i + 1]);
    return i < text.size() && IsAsciiDigit(text[i]);
  }
  size_t end = i;
  while (end < text.size() && IsAsciiAlphanumeric(text[end])) ++end;
  if (end == i) return false;
  if (end < text.size() && text[end] == u';') return true;
  if (end < text.size() && text[end] == u'=') return false;
  const vb::StringView name = text.substr(i, end - i);
  return std::find(std::begin(kNamesWithoutSemicolon), std::end(kNamesWithoutSemicolon), name) !=
         std::end(kNamesWithoutSemicolon);
}

// What ends an unquoted url() or starts an escape in it.
bool EndsStyleUrl(char16_t c) {
  return c <= u' ' || c == 0x7F || c == u'(' || c == u')' || c == u'\\' || c == u'"' || c == u'\'';
}

}  // namespace

vb::String HtmlEncodeText(vb::StringView text) {
  // Sized first: stored markup comes out half again as long or more, and a
  // string that grows as it goes is copied each time.
  size_t size = text.size();
  for (char16_t c : text) size += HtmlEntity(c).size();
  vb::String out;
  out.reserve(size);
  for (char16_t c : text) {
    const vb::StringView entity = HtmlEntity(c);
    if (!entity.empty()) out += entity;
    else out.push_back(c);
  }
  return out;
}

vb::String HtmlEncodeUnquoted(vb::StringView text) {
  vb::String out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (const vb::StringView entity = HtmlEntity(c); !entity.empty()) out += entity;
    else if (EndsUnquotedValue(c)) AppendNumericReference(out, c);
    else out.push_back(c);
  }
  return out;
}

vb::String AttributeValueKeepingReferences(vb::StringView text, AttributeQuote quote) {
  vb::String out;
  out.reserve(text.size());
  for (char16_t c : text) AppendInAttribute(out, c, quote);
  return out;
}

vb::String AttributeValueExact(vb::StringView text, AttributeQuote quote) {
  vb::String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && StartsReference(text, i)) out += u"&amp;";
    else AppendInAttribute(out, text[i], quote);
  }
  return out;
}

vb::String StyleUrlEscape(vb::StringView text) {
  vb::String out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (!EndsStyleUrl(c)) {
      out.push_back(c);
      continue;
    }
    // A hex escape ends at the blank after it, so the next character is read as itself.
    out.push_back(u'\\');
    char digits[8];
    std::snprintf(digits, sizeof digits, "%x ", static_cast<unsigned>(c));
    for (const char* d = digits; *d; ++d) out.push_back(static_cast<char16_t>(*d));
  }
  return out;
}

vb::String QueryValueEncode(vb::StringView text) {
  vb::String out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (NeedsPercent(c)) AppendPercent(out, static_cast<unsigned char>(c));
    else out.push_back(c);
  }
  return out;
}

vb::String HeaderValueEncode(vb::StringView text) {
  vb::String out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    if (StaysInHeaderValue(text[i])) out.push_back(text[i]);
    else
      for (unsigned char byte : text::EncodeAnsi(text.substr(i, 1))) AppendPercent(out, byte);
  }
  return out;
}

}  // namespace qe
