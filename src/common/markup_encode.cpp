#include "common/markup_encode.h"

#include "platform/text/ansi.h"

namespace qe {
namespace {

const char16_t* HtmlEntity(char16_t c) {
  switch (c) {
    case u'&': return u"&amp;";
    case u'<': return u"&lt;";
    case u'>': return u"&gt;";
    case u'"': return u"&quot;";
    case u'\'': return u"&#39;";
    default: return nullptr;
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

}  // namespace

vb::String HtmlEncodeText(vb::StringView text) {
  vb::String out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (const char16_t* entity = HtmlEntity(c)) out += entity;
    else out.push_back(c);
  }
  return out;
}

vb::String HtmlEncodeUnquoted(vb::StringView text) {
  vb::String out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (const char16_t* entity = HtmlEntity(c)) out += entity;
    else if (EndsUnquotedValue(c)) AppendNumericReference(out, c);
    else out.push_back(c);
  }
  return out;
}

vb::String AttributeValueKeepingReferences(vb::StringView text, AttributeQuote quote) {
  vb::String out;
  out.reserve(text.size());
  for (char16_t c : text) {
    const bool ends = quote == AttributeQuote::kDouble   ? c == u'"'
                      : quote == AttributeQuote::kSingle ? c == u'\''
                                                         : (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' ||
                                                            c == u'\f' || c == u'"' || c == u'\'' || c == u'`' ||
                                                            c == u'<' || c == u'>');
    if (!ends) out.push_back(c);
    else if (c == u'"' && quote == AttributeQuote::kDouble) out += u"&quot;";
    else AppendNumericReference(out, c);
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
