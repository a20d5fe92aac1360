#include "common/kesra_value_checks.h"

#include <algorithm>

#include "platform/com/object.h"
#include "platform/regex/regexp.h"
#include "platform/text/ansi.h"
#include "platform/vb/convert.h"
#include "platform/vb/information.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

// Pages refuse these in names and keys; the blank, quote and tab included.
constexpr vb::StringView kForbiddenCharacters = u"=%?#&;,'+<>()-:\\*!/| \"\t";

// A domain's last label: two or three characters of any address kind (as
// pages have always accepted, "a@b.12" included), or a longer top-level
// domain of letters only, no longer than a DNS label.
constexpr size_t kShortestTopLevelDomain = 2;
constexpr size_t kLongestShortTopLevelDomain = 3;
constexpr size_t kLongestTopLevelDomain = 63;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsAsciiLetter(char16_t c) {
  char16_t lower = vb::AsciiLower(c);
  return lower >= u'a' && lower <= u'z';
}

bool IsEmailCharacter(char16_t c) {
  return IsAsciiLetter(c) || IsDigit(c) || c == u'_' || c == u'-' || c == u'.';
}

// One side of the "@": not empty, only address characters ("+" also allowed
// in the name, for sub-addresses such as name+tag), no dot at either end.
bool IsEmailPart(vb::StringView part, bool is_name) {
  if (part.empty() || part.front() == u'.' || part.back() == u'.') return false;
  return std::all_of(part.begin(), part.end(),
                     [is_name](char16_t c) { return IsEmailCharacter(c) || (is_name && c == u'+'); });
}

}  // namespace

bool KesraCheckIsChinese(vb::String p_String) {
  vb::String t = vb::Trim(p_String);
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char16_t c) { return text::AnsiCode(c) < 0; });
}

bool KesraCheckIsInteger(vb::String p_String) {
  vb::String t = vb::Trim(p_String);
  return !t.empty() && std::all_of(t.begin(), t.end(), IsDigit);
}

bool KesraCheckIsNumeric(vb::String p_String) { return vb::IsNumeric(vb::Variant(vb::Trim(p_String))); }

bool KesraCheckIsTelephone(vb::String p_String) {
  vb::String t = vb::Trim(p_String);
  if (t.size() < 7) return false;
  return std::all_of(t.begin(), t.end(), [](char16_t c) { return IsDigit(c) || c == u'-'; });
}

vb::String KesraCheckIsValidString(vb::String p_String) {
  for (char16_t c : vb::Trim(p_String))
    if (kForbiddenCharacters.find(c) != vb::StringView::npos) return vb::String(1, c);
  return {};
}

bool KesraCheckIsEmail(vb::String p_String) {
  auto parts = vb::SplitParts(p_String, u"@");
  if (parts.size() != 2) return false;
  const vb::String& name = parts[0];
  const vb::String& domain = parts[1];
  if (!IsEmailPart(name, true) || !IsEmailPart(domain, false)) return false;
  size_t last_dot = domain.rfind(u'.');
  if (last_dot == vb::String::npos) return false;
  vb::StringView top_level = vb::StringView(domain).substr(last_dot + 1);
  if (top_level.size() < kShortestTopLevelDomain || top_level.size() > kLongestTopLevelDomain) return false;
  if (top_level.size() > kLongestShortTopLevelDomain &&
      !std::all_of(top_level.begin(), top_level.end(), IsAsciiLetter))
    return false;
  return p_String.find(u"..") == vb::String::npos;
}

vb::Variant KesraCheckReg(vb::Variant& p_Pattern, vb::String p_String) {
  regex::RegExp re;
  re.Pattern(vb::CStr(com::ValueOf(p_Pattern)));
  re.IgnoreCase(true);
  re.Global(true);
  return vb::Variant(re.Test(p_String));
}

vb::Variant KesraCheckIsEmpty(vb::String p_String) {
  vb::Variant pattern(u"^$");
  return KesraCheckReg(pattern, vb::Trim(p_String));
}

}  // namespace qe
