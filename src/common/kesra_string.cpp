#include "common/kesra_string.h"

#include <algorithm>

#include "common/integer_count.h"
#include "platform/regex/regexp.h"
#include "platform/vb/strings.h"

namespace qe {

vb::String KesraReplaceExp(vb::StringView p_String, vb::StringView p_Pattern, vb::StringView p_ReplaceString) {
  regex::RegExp re;
  re.Pattern(p_Pattern);
  re.IgnoreCase(true);
  re.Global(true);
  return re.Replace(p_String, p_ReplaceString);
}

bool KesraHasChinese(vb::StringView p_String) {
  for (const char16_t* pattern : {u"[\\xB0-\\xF7][\\xA1-\\xFE]", u"[\\u4e00-\\u9fa5]"}) {
    regex::RegExp re;
    re.Pattern(pattern);
    if (re.Test(p_String)) return true;
  }
  return false;
}

vb::String KesraReplaceAt(vb::StringView p_Expression, int16_t p_At, vb::StringView p_ReplaceWith,
                          vb::StringView p_Delimiter) {
  const std::vector<vb::String> fields = vb::SplitParts(p_Expression, p_Delimiter);
  const int upper = IntegerCount(static_cast<int64_t>(fields.size()) - 1);
  const int last = std::max<int>(upper, p_At);
  vb::String out;
  for (int i = 0; i <= last; ++i) {
    if (i == p_At) out += p_ReplaceWith;
    else if (i <= upper) out += fields[static_cast<size_t>(i)];
    if (i != last) out += p_Delimiter;
  }
  return out;
}

vb::String KesraStrExtract(vb::StringView cSearchExpression, vb::StringView cBeginDelim,
                           vb::StringView cEndDelim, int16_t nOccurrence, int16_t nFlag) {
  const bool ignore_case = nFlag % 2 == 1;
  const bool to_the_end = nFlag / 2 % 2 == 1;
  const bool keep_begin = nFlag / 4 % 2 == 1;
  // Positions are found in the upper-cased texts when case is ignored and
  // taken from the text as given.
  const vb::String text = ignore_case ? vb::UCase(cSearchExpression) : vb::String(cSearchExpression);
  const vb::String begin = ignore_case ? vb::UCase(cBeginDelim) : vb::String(cBeginDelim);
  const vb::String end = ignore_case ? vb::UCase(cEndDelim) : vb::String(cEndDelim);
  const int16_t begin_length = IntegerCount(static_cast<int64_t>(begin.size()));

  int16_t p1 = 1;
  if (!begin.empty()) {
    p1 = IntegerCount(vb::InStr(std::max<int16_t>(nOccurrence, 1), text, begin));
    if (p1 == 0) return {};
  }
  const int16_t after_begin = IntegerCount(p1 + begin_length);
  const int16_t from = keep_begin ? p1 : after_begin;
  if (!to_the_end && !end.empty()) {
    const int16_t p2 = IntegerCount(vb::InStr(after_begin, text, end));
    if (p2 <= p1) return {};
    return vb::Mid(cSearchExpression, from, std::max(p2 - from, 0));
  }
  return vb::Mid(cSearchExpression, from);
}

vb::String KesraJoinChar(vb::StringView p_StrUrl) {
  if (p_StrUrl.empty()) return {};
  const size_t length = p_StrUrl.size();
  const int32_t question = vb::InStr(p_StrUrl, u"?");
  if (question > 0 && static_cast<size_t>(question) == length) return vb::String(p_StrUrl);
  if (question <= 1) return vb::String(p_StrUrl) + u"?";
  const int32_t ampersand = vb::InStr(p_StrUrl, u"&");
  if (ampersand > 0 && static_cast<size_t>(ampersand) == length) return vb::String(p_StrUrl);
  return vb::String(p_StrUrl) + u"&";
}

}  // namespace qe
