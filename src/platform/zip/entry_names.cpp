#include "platform/zip/entry_names.h"

#include "platform/fs/paths.h"
#include "platform/fs/windows_names.h"
#include "platform/text/ansi.h"
#include "platform/vb/case_fold.h"

namespace ziparc {

namespace {

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

bool IsAscii(StringView name) {
  for (char16_t c : name) {
    if (c >= 0x80) return false;
  }
  return true;
}

}  // namespace

StoredName EncodeEntryName(StringView name) {
  if (IsAscii(name)) return {vb::ToUtf8(name), false};
  std::string ansi = text::EncodeAnsi(name);
  // "?" stands for what the code page cannot hold: only a round trip tells.
  if (text::DecodeAnsi(ansi) == name) return {std::move(ansi), false};
  return {vb::ToUtf8(name), true};
}

String DecodeEntryName(std::string_view bytes, bool utf8) {
  return utf8 ? vb::FromUtf8(bytes) : text::DecodeAnsi(bytes);
}

std::optional<EntryPath> CheckEntryPath(StringView name) {
  if (name.empty() || IsSeparator(name.front())) return std::nullopt;
  if (name.size() >= 2 && name[1] == u':') return std::nullopt;
  EntryPath path;
  size_t start = 0;
  while (start < name.size()) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    StringView part = name.substr(start, end - start);
    if (part.empty() || part == u"." || part == u"..") return std::nullopt;
    StringView stored = fs::detail::TrimTrailingDotsAndBlanks(part);
    if (stored.empty() || !fs::detail::NameProblem(stored).empty()) return std::nullopt;
    if (fs::HostNameBytes(stored) > fs::kMaxHostNameBytes) return std::nullopt;
    path.names.emplace_back(stored);
    if (end == name.size()) break;
    start = end + 1;
    if (start == name.size()) path.folder = true;
  }
  return path;
}

String NameKey(StringView name) {
  String key(name);
  for (char16_t& c : key) c = vb::UpperChar(c);
  return key;
}

}  // namespace ziparc
