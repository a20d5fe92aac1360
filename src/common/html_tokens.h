#pragma once
// Where a browser's HTML5 tokenizer finds tags and their attributes in a
// text, for the markup guard and the rich-text cleaner's count. Positions are
// UTF-16 code units.
//
// The reading is the tokenizer's: comments (with their abrupt and "--!>"
// ends), doctypes and bogus comments end where a browser ends them; the
// contents of textarea and title (RCDATA), style, xmp, iframe, noembed and
// noframes (RAWTEXT) and plaintext are text, unless the caller reads the tag
// as one of svg or math content. Script and noscript content is read as
// markup (the guard shows their tags as text first; a count finds more tags
// in it than a browser does, never fewer).
#include <cstddef>
#include <functional>
#include <vector>

#include "platform/vb/string.h"

namespace qe::markup {

struct TagAttribute {
  size_t start = 0;        // the first character of the name
  size_t end = 0;          // after the value and its closing quote
  size_t name_end = 0;
  size_t value_start = 0;  // the value without its quotes
  size_t value_end = 0;
  bool has_value = false;
  vb::String name;         // lower-cased (ASCII), as the browser stores it
};

struct StartTag {
  size_t start = 0;  // the "<"
  size_t end = 0;    // after the ">", or `limit` for a tag the text leaves open
  bool closed = false;
  bool self_closing = false;  // closed by "/>"
  vb::String name;   // lower-cased (ASCII)
  std::vector<TagAttribute> attributes;
};

// True for the characters that separate attributes (CR counts: the browser
// reads it as a line feed).
bool IsTagSpace(char16_t c);

// The start tag at `at` (text[at] is "<" followed by an ASCII letter), read up
// to `limit` (an end tag, given "</" at `at`, is read the same way).
StartTag ReadStartTag(vb::StringView text, size_t at, size_t limit);

// What the caller makes of a start tag: an element (the content of a
// raw-text element is then read as text), an element of svg or math content
// (what follows is markup, whatever its name), or text (the caller shows its
// "<" as "&lt;", so what the tag held, its attribute values included, is read
// as markup); or the reading stops there.
enum class TagReading { kElement, kForeignElement, kText, kStop };

// Each start tag of the text, in order, as a browser's tokenizer meets them.
void ForEachStartTag(vb::StringView text, const std::function<TagReading(const StartTag&)>& visit);

// Each tag, start and end (`end_tag`; for one only kStop counts), in order,
// as a browser's tokenizer meets them.
void ForEachTag(vb::StringView text, const std::function<TagReading(const StartTag&, bool end_tag)>& visit);

}  // namespace qe::markup
