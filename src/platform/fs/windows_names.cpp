#include "platform/fs/windows_names.h"

#include <locale.h>
#include <wctype.h>

#include <array>
#include <cstdint>
#include <unordered_map>

namespace fs::detail {

namespace {

constexpr size_t kMaxNameLength = 255;  // UTF-16 code units, as NTFS counts

bool IsReservedCharacter(char16_t c) {
  return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' ||
         c == u'*' || c == u'/' || c == u'\\';
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool HasUnpairedSurrogate(StringView name) {
  for (size_t i = 0; i < name.size(); ++i) {
    if (IsHighSurrogate(name[i]) && i + 1 < name.size() && IsLowSurrogate(name[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(name[i]) || IsLowSurrogate(name[i])) {
      return true;
    }
  }
  return false;
}

// Windows takes "con", "con.txt" and "con .txt" alike as the device.
bool IsDeviceName(StringView name) {
  StringView base = name.substr(0, name.find(u'.'));
  while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
  static constexpr std::array<StringView, 6> kDevices = {u"con", u"prn",    u"aux",
                                                         u"nul", u"conin$", u"conout$"};
  for (StringView device : kDevices) {
    if (vb::EqualsNoCase(base, device)) return true;
  }
  if (base.size() != 4) return false;
  StringView stem = base.substr(0, 3);
  char16_t digit = base[3];
  bool numbered = (digit >= u'1' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' ||
                  digit == u'\u00B3';
  return numbered && (vb::EqualsNoCase(stem, u"com") || vb::EqualsNoCase(stem, u"lpt"));
}

// glibc's C.UTF-8 carries the Unicode case mappings; without it, ASCII only.
locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  return locale;
}

char16_t Upper(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  if (IsHighSurrogate(c) || IsLowSurrogate(c)) return c;
  locale_t locale = UnicodeLocale();
  if (locale == locale_t{}) return c;
  wint_t upper = towupper_l(c, locale);
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

// The code units that share their upper-case mapping with another, grouped by
// that mapping: the ways a character of a name may be spelt ("i", "I" and the
// dotless "ı" are one letter here). At most four share one.
const std::unordered_map<char16_t, std::vector<char16_t>>& SharedUpperCases() {
  static const auto shared = [] {
    std::vector<char16_t> upper(0x10000);
    std::vector<uint32_t> count(0x10000);
    for (uint32_t c = 0; c < 0x10000; ++c) ++count[upper[c] = Upper(static_cast<char16_t>(c))];
    std::unordered_map<char16_t, std::vector<char16_t>> groups;
    for (uint32_t c = 0; c < 0x10000; ++c)
      if (count[upper[c]] > 1) groups[upper[c]].push_back(static_cast<char16_t>(c));
    return groups;
  }();
  return shared;
}

}  // namespace

StringView TrimTrailingDotsAndBlanks(StringView name) {
  size_t end = name.find_last_not_of(u". ");
  return end == StringView::npos ? StringView{} : name.substr(0, end + 1);
}

String NameProblem(StringView name) {
  if (name.empty()) return u"is empty";
  if (name.size() > kMaxNameLength) return u"is longer than 255 characters";
  for (char16_t c : name) {
    if (c == u':') return u"holds \":\" (an alternate data stream)";
    if (IsReservedCharacter(c)) return u"holds a character that file names cannot hold";
  }
  if (IsDeviceName(name)) return u"is a device name";
  if (HasUnpairedSurrogate(name)) return u"holds an unpaired surrogate";
  return {};
}

bool SameNameNoCase(StringView a, StringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

std::optional<std::vector<String>> SpellingsNoCase(StringView name, size_t most) {
  const auto& shared = SharedUpperCases();
  std::vector<const std::vector<char16_t>*> ways(name.size(), nullptr);
  size_t count = 1;
  for (size_t i = 0; i < name.size(); ++i) {
    auto group = shared.find(Upper(name[i]));
    if (group == shared.end()) continue;
    ways[i] = &group->second;
    count *= group->second.size();
    if (count > most) return std::nullopt;
  }
  if (count > most) return std::nullopt;
  std::vector<String> spellings;
  spellings.reserve(count);
  String spelling(name);
  std::vector<size_t> chosen(name.size(), 0);
  for (;;) {
    for (size_t i = 0; i < name.size(); ++i)
      if (ways[i]) spelling[i] = (*ways[i])[chosen[i]];
    spellings.push_back(spelling);
    // The next choice, counting like an odometer over the characters that have several.
    size_t i = 0;
    for (; i < name.size(); ++i) {
      if (!ways[i]) continue;
      if (++chosen[i] < ways[i]->size()) break;
      chosen[i] = 0;
    }
    if (i == name.size()) return spellings;
  }
}

}  // namespace fs::detail
