#include "common/html_tokens.h"

namespace qe::markup {
namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool StartsWithFolded(vb::StringView text, size_t at, vb::StringView lower_word) {
  if (text.size() - at < lower_word.size()) return false;
  for (size_t i = 0; i < lower_word.size(); ++i)
    if (AsciiLower(text[at + i]) != lower_word[i]) return false;
  return true;
}

enum class Content { kMarkup, kRawText, kToTheEnd };

// How the tokenizer reads what follows a start tag of this name.
Content ContentOf(const vb::String& name) {
  // Most names start with none of their letters.
  if (name.empty() || vb::StringView(u"tsxinp").find(name.front()) == vb::StringView::npos) return Content::kMarkup;
  for (const char16_t* raw : {u"textarea", u"title", u"style", u"xmp", u"iframe", u"noembed", u"noframes"})
    if (name == raw) return Content::kRawText;
  return name == u"plaintext" ? Content::kToTheEnd : Content::kMarkup;
}

// After "<!--" at `at`: where the comment ends ("-->", "--!>", or the abrupt
// "<!-->" and "<!--->").
size_t CommentEnd(vb::StringView text, size_t at) {
  const size_t body = at + 4;
  if (body < text.size() && text[body] == u'>') return body + 1;
  if (body + 1 < text.size() && text[body] == u'-' && text[body + 1] == u'>') return body + 2;
  for (size_t i = body; i < text.size(); ++i) {
    if (text[i] != u'>') continue;
    if (i >= body + 2 && text[i - 1] == u'-' && text[i - 2] == u'-') return i + 1;
    if (i >= body + 3 && text[i - 1] == u'!' && text[i - 2] == u'-' && text[i - 3] == u'-') return i + 1;
  }
  return text.size();
}

size_t UpToGreaterThan(vb::StringView text, size_t from) {
  const size_t at = text.find(u'>', from);
  return at == vb::StringView::npos ? text.size() : at + 1;
}

// Where the text content of the element `name` ends: at its end tag, "</"
// and the name followed by a tag space, "/" or ">".
size_t RawTextEnd(vb::StringView text, size_t from, const vb::String& name) {
  for (size_t i = text.find(u"</", from); i != vb::StringView::npos; i = text.find(u"</", i + 2)) {
    if (!StartsWithFolded(text, i + 2, name)) continue;
    const size_t after = i + 2 + name.size();
    if (after >= text.size() || IsTagSpace(text[after]) || text[after] == u'/' || text[after] == u'>') return i;
  }
  return text.size();
}

}  // namespace

bool IsTagSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r'; }

StartTag ReadStartTag(vb::StringView text, size_t at, size_t limit) {
  StartTag tag;
  tag.start = at;
  size_t i = at + 1;
  if (i < limit && text[i] == u'/') ++i;
  while (i < limit && !IsTagSpace(text[i]) && text[i] != u'/' && text[i] != u'>') tag.name.push_back(AsciiLower(text[i++]));
  auto close = [&](size_t gt) {
    tag.end = gt + 1;
    tag.closed = true;
  };
  while (i < limit) {
    // Before an attribute name; "/" not followed by ">" is passed over.
    const char16_t c = text[i];
    if (IsTagSpace(c) || c == u'/') {
      if (c == u'/' && i + 1 < limit && text[i + 1] == u'>') {
        tag.self_closing = true;
        close(i + 1);
        return tag;
      }
      ++i;
      continue;
    }
    if (c == u'>') {
      close(i);
      return tag;
    }
    TagAttribute attribute;
    attribute.start = i;
    attribute.name.push_back(AsciiLower(text[i++]));  // may be "="
    while (i < limit && !IsTagSpace(text[i]) && text[i] != u'/' && text[i] != u'>' && text[i] != u'=')
      attribute.name.push_back(AsciiLower(text[i++]));
    attribute.name_end = attribute.end = i;
    size_t after_name = i;
    while (after_name < limit && IsTagSpace(text[after_name])) ++after_name;
    if (after_name < limit && text[after_name] == u'=') {
      i = after_name + 1;
      while (i < limit && IsTagSpace(text[i])) ++i;
      attribute.has_value = true;
      if (i < limit && (text[i] == u'"' || text[i] == u'\'')) {
        const char16_t quote = text[i];
        attribute.value_start = ++i;
        while (i < limit && text[i] != quote) ++i;
        attribute.value_end = i;
        if (i < limit) ++i;
      } else {
        attribute.value_start = i;
        while (i < limit && !IsTagSpace(text[i]) && text[i] != u'>') ++i;
        attribute.value_end = i;
      }
      attribute.end = i;
    }
    tag.attributes.push_back(std::move(attribute));
  }
  tag.end = limit;
  return tag;
}

void ForEachStartTag(vb::StringView text, const std::function<TagReading(const StartTag&)>& visit) {
  ForEachTag(text, [&](const StartTag& tag, bool end_tag) { return end_tag ? TagReading::kElement : visit(tag); });
}

void ForEachTag(vb::StringView text, const std::function<TagReading(const StartTag&, bool end_tag)>& visit) {
  const size_t n = text.size();
  size_t i = 0;
  while ((i = text.find(u'<', i)) != vb::StringView::npos) {
    if (i + 1 >= n) break;
    const char16_t next = text[i + 1];
    if (IsAsciiLetter(next)) {
      StartTag tag = ReadStartTag(text, i, n);
      const TagReading reading = visit(tag, false);
      if (reading == TagReading::kStop) return;
      if (reading == TagReading::kText) {
        ++i;
        continue;
      }
      i = tag.end;
      if (reading == TagReading::kForeignElement) continue;
      switch (ContentOf(tag.name)) {
        case Content::kRawText: i = RawTextEnd(text, i, tag.name); break;
        case Content::kToTheEnd: return;
        case Content::kMarkup: break;
      }
    } else if (next == u'/') {
      if (i + 2 < n && IsAsciiLetter(text[i + 2])) {
        const StartTag tag = ReadStartTag(text, i, n);
        if (visit(tag, true) == TagReading::kStop) return;
        i = tag.end;
      } else if (i + 2 < n && text[i + 2] == u'>') {
        i += 3;
      } else {
        i = UpToGreaterThan(text, i + 2);  // a bogus comment
      }
    } else if (next == u'!') {
      i = StartsWithFolded(text, i + 2, u"--") ? CommentEnd(text, i) : UpToGreaterThan(text, i + 2);
    } else if (next == u'?') {
      i = UpToGreaterThan(text, i + 2);
    } else {
      ++i;
    }
  }
}

}  // namespace qe::markup
