#include "common/script_text.h"

namespace qe {

vb::String ScriptStringEscape(vb::StringView text) {
  vb::String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    switch (c) {
      case u'\\': out += u"\\\\"; break;
      case u'"': out += u"\\\""; break;
      case u'\'': out += u"\\'"; break;
      case u'\r': out += u"\\r"; break;
      case u'\n': out += u"\\n"; break;
      case 0x2028: out += u"\\u2028"; break;
      case 0x2029: out += u"\\u2029"; break;
      case u'<':
        out += (i + 1 < text.size() && text[i + 1] == u'/') ? u"<\\" : u"<";
        break;
      default: out.push_back(c);
    }
  }
  return out;
}

}  // namespace qe
