#include "common/rich_text_written.h"

#include <gumbo.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/rich_text_rules.h"
#include "common/tag_names.h"
#include "platform/text/ansi.h"

namespace qe {
namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;

// The characters the cleaner leaves as they are in text: what code page 936
// holds but U+00A0 and the three markup characters (a plain text keeps its
// line breaks and control characters).
bool IsTextCharacter(char16_t c) {
  if (c < 0x80) return c != u'<' && c != u'>' && c != u'&';
  return c != 0xA0 && text::AnsiCodeUnsigned(c) != '?';
}

// ... and in attribute values, where it writes no control character but
// tabs and line feeds.
bool IsValueCharacter(char16_t c) {
  if (c < 0x20) return c == u'\t' || c == u'\n';
  return c != 0x7F && c != u'"' && IsTextCharacter(c);
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

class Reader {
 public:
  Reader(vb::StringView text, const TreeWork& most) : text_(text), most_(most) {}

  bool Passes() {
    while (at_ < text_.size()) {
      const char16_t c = text_[at_];
      bool read = true;
      if (c == u'<') read = Tag();
      else if (c == u'&') read = Reference(false).has_value();
      else if (IsTextCharacter(c)) ++at_;
      else read = false;
      if (!read) return false;
    }
    return open_.empty();
  }

 private:
  bool At(vb::StringView word) const { return text_.substr(at_, word.size()) == word; }

  // One of the references the cleaner writes ("&quot;" in values only).
  std::optional<char32_t> Reference(bool in_value) {
    struct Named {
      std::u16string_view name;
      char32_t c;
    };
    for (const Named& named : {Named{u"&amp;", u'&'}, Named{u"&lt;", u'<'}, Named{u"&gt;", u'>'},
                               Named{u"&nbsp;", 0xA0}, Named{u"&quot;", u'"'}}) {
      if (!At(named.name) || (named.c == u'"' && !in_value)) continue;
      at_ += named.name.size();
      return named.c;
    }
    if (!At(u"&#")) return std::nullopt;
    size_t end = at_ + 2;
    char32_t code = 0;
    while (end < text_.size() && text_[end] >= u'0' && text_[end] <= u'9' && code <= kLastCodePoint)
      code = code * 10 + (text_[end++] - u'0');
    if (end == at_ + 2 || end >= text_.size() || text_[end] != u';' || code > kLastCodePoint) return std::nullopt;
    at_ = end + 1;
    return code;
  }

  // Lower-case letters and digits, as the cleaner writes names.
  vb::StringView Name() {
    const size_t start = at_;
    while (at_ < text_.size() &&
           ((text_[at_] >= u'a' && text_[at_] <= u'z') || (text_[at_] >= u'0' && text_[at_] <= u'9')))
      ++at_;
    return text_.substr(start, at_ - start);
  }

  // A value in double quotes, as a browser reads it; nothing when it is not
  // written as the cleaner writes values.
  std::optional<std::string> Value() {
    if (!At(u"=\"")) return std::nullopt;
    at_ += 2;
    std::string value;
    while (at_ < text_.size() && text_[at_] != u'"') {
      const char16_t c = text_[at_];
      if (c == u'&') {
        const std::optional<char32_t> decoded = Reference(true);
        if (!decoded) return std::nullopt;
        AppendUtf8(value, *decoded);
        continue;
      }
      if (!IsValueCharacter(c)) return std::nullopt;
      AppendUtf8(value, c);
      ++at_;
    }
    if (at_ == text_.size()) return std::nullopt;
    ++at_;
    return value;
  }

  bool Tag() {
    ++work_.tags;
    work_.walked += open_.size();
    ++at_;
    const bool end = at_ < text_.size() && text_[at_] == u'/';
    if (end) ++at_;
    const vb::StringView name = Name();
    const rich_text::AllowedElement* allowed = name.empty() ? nullptr : rich_text::Allowed(tag_names_.Of(name));
    if (!allowed) return false;
    if (end) {
      if (open_.empty() || open_.back() != allowed->tag || !At(u">")) return false;
      open_.pop_back();
      ++at_;
      return IsWithin(work_, most_);
    }
    attributes_.clear();  // the cleaner writes each once
    while (At(u" ")) {
      ++at_;
      const vb::StringView attribute = Name();
      const std::optional<std::string> value = Value();
      if (attribute.empty() || !value ||
          !rich_text::Keeps(*allowed, std::string(attribute.begin(), attribute.end()), *value))
        return false;
      if (std::find(attributes_.begin(), attributes_.end(), attribute) != attributes_.end()) return false;
      attributes_.push_back(attribute);
    }
    if (!At(u">")) return false;
    ++at_;
    ++work_.made;
    if (!rich_text::IsVoid(allowed->tag)) open_.push_back(allowed->tag);
    work_.depth = std::max(work_.depth, open_.size());
    return IsWithin(work_, most_);
  }

  vb::StringView text_;
  size_t at_ = 0;
  TreeWork work_;
  const TreeWork most_;
  std::vector<GumboTag> open_;
  TagNames tag_names_;
  std::vector<vb::StringView> attributes_;  // the names of the tag being read
};

}  // namespace

bool IsWrittenRichText(vb::StringView html, const TreeWork& most) {
  return Reader(html, most).Passes();
}

}  // namespace qe
