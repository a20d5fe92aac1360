#include "editors/active_markup.h"

#include <vector>

#include "common/html_tokens.h"
#include "editors/address_scheme.h"

namespace qe::markup {
namespace {

// Elements that run script, load it, or change how the rest is read.
constexpr const char16_t* kShownAsText[] = {u"script", u"noscript", u"template", u"base", u"meta", u"link",
                                            u"svg",    u"math",     u"frame",    u"frameset", u"applet"};
// ... and, in what a user typed, the elements that load or send by themselves.
constexpr const char16_t* kTypedShownAsText[] = {u"iframe", u"object", u"embed", u"form"};
// Raw-text elements that the old parsers ignore inside a select.
constexpr const char16_t* kShownAsTextAfterSelect[] = {u"iframe", u"xmp",   u"noembed",
                                                       u"noframes", u"title", u"plaintext"};
// More passes than an ordinary text needs (two when it changes); past them
// the text is shown as text, so even a reading the guard does not foresee
// cannot run it.
constexpr int kMostPasses = 4;

template <size_t N>
bool IsOneOf(vb::StringView name, const char16_t* const (&names)[N]) {
  for (const char16_t* candidate : names)
    if (name == candidate) return true;
  return false;
}

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

struct Edit {
  size_t start, end;
  const char16_t* replacement;
};

vb::String Applied(vb::StringView text, const std::vector<Edit>& edits) {
  vb::String out;
  out.reserve(text.size() + edits.size() * 4);
  size_t copied = 0;
  for (const Edit& e : edits) {
    out.append(text.substr(copied, e.start - copied));
    out += e.replacement;
    copied = e.end;
  }
  out.append(text.substr(copied));
  return out;
}

// "<" + a name of kShownAsText (or kTypedShownAsText) + the end of a tag
// name, anywhere: in an attribute value or a comment too, where showing it as
// text changes nothing.
std::vector<Edit> ShownTagEdits(vb::StringView text, bool typed) {
  std::vector<Edit> edits;
  for (size_t i = text.find(u'<'); i != vb::StringView::npos; i = text.find(u'<', i + 1)) {
    size_t end = i + 1;
    vb::String name;
    while (end < text.size() && name.size() < 9 && !IsTagSpace(text[end]) && text[end] != u'/' && text[end] != u'>')
      name.push_back(AsciiLower(text[end++]));
    const bool ends_name =
        end == text.size() || IsTagSpace(text[end]) || text[end] == u'/' || text[end] == u'>';
    if (ends_name && (IsOneOf(name, kShownAsText) || (typed && IsOneOf(name, kTypedShownAsText))))
      edits.push_back({i, i + 1, u"&lt;"});
  }
  return edits;
}

bool IsKept(const vb::String& name, vb::StringView value, std::span<const KeptHandler> kept) {
  for (const KeptHandler& handler : kept)
    if (name == handler.name && DecodeAttributeValue(value) == handler.value) return true;
  return false;
}

std::vector<Edit> AttributeEdits(vb::StringView text, std::span<const KeptHandler> kept) {
  std::vector<Edit> edits;
  bool after_select = false;
  ForEachStartTag(text, [&](const StartTag& tag) {
    if (after_select && IsOneOf(tag.name, kShownAsTextAfterSelect)) {
      edits.push_back({tag.start, tag.start + 1, u"&lt;"});
      return TagReading::kText;
    }
    if (tag.name == u"select") after_select = true;
    for (const TagAttribute& a : tag.attributes) {
      const vb::StringView value = text.substr(a.value_start, a.value_end - a.value_start);
      if (a.name.size() > 2 && a.name.starts_with(u"on")) {
        if (!IsKept(a.name, value, kept)) edits.push_back({a.start, a.start + 2, u"&#111n"});
      } else if (a.name == u"srcdoc" ||
                 (IsAddressAttribute(tag.name, a.name) && !IsAllowedAddress(value, tag.name == u"img" && a.name == u"src"))) {
        edits.push_back({a.start, a.end, u""});
      }
    }
    return TagReading::kElement;
  });
  return edits;
}

vb::String Neutralized(vb::StringView text, std::span<const KeptHandler> kept, bool typed) {
  vb::String current(text);
  // Browsers drop a NUL from text and read it as U+FFFD in names and values;
  // an old reader that skipped it inside a tag could find a handler there.
  std::erase(current, u'\0');
  if (current.find(u'<') == vb::String::npos) return current;
  for (int pass = 0; pass < kMostPasses; ++pass) {
    std::vector<Edit> shown = ShownTagEdits(current, typed);
    vb::String next = shown.empty() ? current : Applied(current, shown);
    std::vector<Edit> attributes = AttributeEdits(next, kept);
    if (shown.empty() && attributes.empty()) return current;
    current = attributes.empty() ? std::move(next) : Applied(next, attributes);
  }
  vb::String all_text;
  for (char16_t c : current) {
    if (c == u'<') all_text += u"&lt;";
    else all_text.push_back(c);
  }
  return all_text;
}

}  // namespace

vb::String NeutralizeActiveMarkup(vb::StringView text, std::span<const KeptHandler> kept) {
  return Neutralized(text, kept, false);
}

vb::String NeutralizeTypedMarkup(vb::StringView text) { return Neutralized(text, {}, true); }

}  // namespace qe::markup
