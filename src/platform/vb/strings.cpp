#include "platform/vb/strings.h"

namespace vb {

String LTrim(StringView s) {
  size_t b = 0;
  while (b < s.size() && s[b] == u' ') ++b;
  return String(s.substr(b));
}

String RTrim(StringView s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == u' ') --e;
  return String(s.substr(0, e));
}

String Trim(StringView s) { return LTrim(RTrim(s)); }

}  // namespace vb
