#include "common/html_attribute_value.h"

namespace qe {
namespace {

const char16_t* UnquotedReference(char16_t c) {
  switch (c) {
    case u'\t': return u"&#9;";
    case u'\n': return u"&#10;";
    case u'\f': return u"&#12;";
    case u'\r': return u"&#13;";
    case u' ': return u"&#32;";
    case u'"': return u"&#34;";
    case u'\'': return u"&#39;";
    case u'<': return u"&#60;";
    case u'>': return u"&#62;";
    case u'`': return u"&#96;";
    default: return nullptr;
  }
}

}  // namespace

vb::String AttributeValueText(vb::StringView text, AttributeQuote quote) {
  vb::String out;
  out.reserve(text.size());
  for (char16_t c : text) {
    const char16_t* reference = nullptr;
    if (quote == AttributeQuote::kDouble && c == u'"') reference = u"&quot;";
    else if (quote == AttributeQuote::kSingle && c == u'\'') reference = u"&#39;";
    else if (quote == AttributeQuote::kNone) reference = UnquotedReference(c);
    if (reference) out += reference;
    else out.push_back(c);
  }
  return out;
}

}  // namespace qe
