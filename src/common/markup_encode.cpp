#include "common/markup_encode.h"

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
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  vb::String out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (!NeedsPercent(c)) {
      out.push_back(c);
      continue;
    }
    out.push_back(u'%');
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 0xF]);
  }
  return out;
}

}  // namespace qe
