#include "platform/regex/replacement.h"

namespace regex {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

void AppendCapture(vb::String& out, vb::StringView subject, const Capture& c) {
  if (c.matched) out.append(subject.substr(c.start, c.end - c.start));
}

}  // namespace

vb::String ExpandReplacement(vb::StringView replacement, vb::StringView subject,
                             const Captures& match) {
  const size_t groups = match.size() - 1;
  const Capture& whole = match[0];
  vb::String out;
  out.reserve(replacement.size());
  size_t i = 0;
  while (i < replacement.size()) {
    const char16_t c = replacement[i];
    const char16_t next = i + 1 < replacement.size() ? replacement[i + 1] : u'\0';
    if (c != u'$' || next == u'\0') {
      out.push_back(c);
      ++i;
      continue;
    }
    if (next == u'$') {
      out.push_back(u'$');
    } else if (next == u'&') {
      AppendCapture(out, subject, whole);
    } else if (next == u'`') {
      out.append(subject.substr(0, whole.start));
    } else if (next == u'\'') {
      out.append(subject.substr(whole.end));
    } else if (IsDigit(next)) {
      const size_t one = static_cast<size_t>(next - u'0');
      const bool has_second = i + 2 < replacement.size() && IsDigit(replacement[i + 2]);
      const size_t two = has_second ? one * 10 + (replacement[i + 2] - u'0') : 0;
      if (has_second && two >= 1 && two <= groups) {
        AppendCapture(out, subject, match[two]);
        i += 3;
        continue;
      }
      if (one >= 1 && one <= groups) {
        AppendCapture(out, subject, match[one]);
      } else {
        out.push_back(u'$');
        out.push_back(next);
      }
    } else {
      out.push_back(u'$');
      ++i;
      continue;
    }
    i += 2;
  }
  return out;
}

}  // namespace regex
