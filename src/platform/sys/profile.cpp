#include "platform/sys/profile.h"

#include "platform/fs/file.h"
#include "platform/text/ansi.h"
#include "platform/vb/error.h"

namespace sys {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// [begin, end) without the blanks at either end.
void TrimBlanks(const String& text, size_t& begin, size_t& end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
}

bool IsQuote(char16_t c) { return c == u'"' || c == u'\''; }

}  // namespace

Profile::Profile(String text) : text_(std::move(text)) {
  Section* current = nullptr;
  size_t line_begin = 0;
  while (line_begin <= text_.size()) {
    size_t line_end = text_.find(u'\n', line_begin);
    if (line_end == String::npos) line_end = text_.size();
    size_t next = line_end + 1;
    if (line_end > line_begin && text_[line_end - 1] == u'\r') --line_end;
    size_t begin = line_begin, end = line_end;
    TrimBlanks(text_, begin, end);
    if (begin < end && text_[begin] == u'[') {
      size_t close = text_.find(u']', begin + 1);
      size_t name_begin = begin + 1, name_end = close == String::npos || close > end ? end : close;
      TrimBlanks(text_, name_begin, name_end);
      String name = text_.substr(name_begin, name_end - name_begin);
      auto [at, added] = section_index_.try_emplace(std::move(name), sections_.size());
      sections_.emplace_back();
      // Only the first section of a name is ever read; later ones are skipped.
      current = added ? &sections_.back() : nullptr;
    } else if (current) {
      size_t equals = text_.find(u'=', begin);
      if (equals != String::npos && equals < end) {
        size_t key_begin = begin, key_end = equals;
        TrimBlanks(text_, key_begin, key_end);
        size_t value_begin = equals + 1, value_end = end;
        TrimBlanks(text_, value_begin, value_end);
        if (value_end - value_begin >= 2 && IsQuote(text_[value_begin]) && text_[value_end - 1] == text_[value_begin]) {
          ++value_begin;
          --value_end;
        }
        current->keys.try_emplace(text_.substr(key_begin, key_end - key_begin),
                                  Entry{value_begin, value_end - value_begin});
      }
    }
    line_begin = next;
  }
}

Profile Profile::Load(StringView windows_path) {
  try {
    return Profile(text::DecodeAnsi(fs::ReadAllBytes(windows_path)));
  } catch (const vb::Error&) {
    return Profile();
  }
}

std::optional<String> Profile::Find(StringView section, StringView key) const {
  auto s = section_index_.find(String(section));
  if (s == section_index_.end()) return std::nullopt;
  const auto& keys = sections_[s->second].keys;
  auto k = keys.find(String(key));
  if (k == keys.end()) return std::nullopt;
  return text_.substr(k->second.begin, k->second.length);
}

String Profile::Value(StringView section, StringView key) const { return Find(section, key).value_or(String()); }

bool Profile::HasSection(StringView section) const { return section_index_.count(String(section)) > 0; }

String GetPrivateProfileString(StringView section, StringView key, StringView default_value, StringView file_name) {
  return Profile::Load(file_name).Find(section, key).value_or(String(default_value));
}

}  // namespace sys
