#include "common/rich_text_cleaner.h"

#include <gumbo.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/markup_encode.h"
#include "common/reader_memory.h"
#include "common/rich_text_rules.h"
#include "common/rich_text_written.h"
#include "common/tag_names.h"
#include "common/tree_work.h"
#include "platform/text/ansi.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

// The tree builder's time grows with the open elements its tags look
// through and with the elements it makes. An editor's long document has some
// 20,000 tags (5,000 styled paragraphs), a depth of ten or so, its tags meet
// well under one open element a character and it makes an element in some 20
// characters (a timetable of two-letter cells makes one in 11, which the
// elements any text may make carry up to the limit of all); a text past these
// is not read.
constexpr size_t kMostTags = 100000;
constexpr size_t kMostDepth = 256;
constexpr size_t kMostWalkedPerCharacter = 6;
constexpr size_t kCharactersPerElement = 12;
// A short text may be all deep tags and elements: it is read all the same.
constexpr size_t kWalkedAnyway = 100000, kMadeAnyway = 10000;

// Each element made is two tags once written: the written text is held to
// the same limits.
TreeWork MostWork(vb::StringView html) {
  return {kMostTags, kMostDepth, kMostWalkedPerCharacter * html.size() + kWalkedAnyway,
          std::min(html.size() / kCharactersPerElement + kMadeAnyway, kMostTags / 2)};
}
// What reading may allocate: formatting elements a text leaves open are
// rebuilt after every block, so a small text can ask for a huge tree.
constexpr size_t kMemoryBase = 8u << 20;
constexpr size_t kMemoryPerInputByte = 32;  // an editor's document holds some 20 bytes a byte
// Taken at once: the reader holds 15 to 30 bytes a byte of most texts.
constexpr size_t kMemoryExpectedPerInputByte = 16;

// Elements whose content is no text of the document, or that load, run or
// navigate: left out with all they hold.
constexpr GumboTag kDroppedWhole[] = {
    GUMBO_TAG_SCRIPT,  GUMBO_TAG_STYLE,    GUMBO_TAG_TEMPLATE, GUMBO_TAG_NOSCRIPT, GUMBO_TAG_IFRAME,
    GUMBO_TAG_FRAME,   GUMBO_TAG_FRAMESET, GUMBO_TAG_NOFRAMES, GUMBO_TAG_OBJECT,   GUMBO_TAG_EMBED,
    GUMBO_TAG_APPLET,  GUMBO_TAG_PARAM,    GUMBO_TAG_META,     GUMBO_TAG_LINK,     GUMBO_TAG_BASE,
    GUMBO_TAG_TITLE,   GUMBO_TAG_HEAD,     GUMBO_TAG_TEXTAREA, GUMBO_TAG_SELECT,   GUMBO_TAG_OPTION,
    GUMBO_TAG_OPTGROUP, GUMBO_TAG_DATALIST, GUMBO_TAG_BUTTON,  GUMBO_TAG_INPUT,    GUMBO_TAG_KEYGEN,
    GUMBO_TAG_CANVAS,  GUMBO_TAG_MAP,      GUMBO_TAG_AREA,     GUMBO_TAG_SOURCE,   GUMBO_TAG_TRACK,
    GUMBO_TAG_XMP,     GUMBO_TAG_PLAINTEXT, GUMBO_TAG_NOEMBED, GUMBO_TAG_SVG,      GUMBO_TAG_MATH,
};

// The tree of the text read in a body; null when its memory ran out.
GumboOutput* ReadWithin(ReaderMemory& memory, const std::string& utf8) {
  GumboOptions options = kGumboDefaultOptions;
  options.allocator = &ReaderMemory::Allocate;
  options.deallocator = &ReaderMemory::Release;
  options.userdata = &memory;
  options.max_errors = 0;  // each error would keep a copy of the open elements
  options.fragment_context = GUMBO_TAG_BODY;
  options.fragment_namespace = GUMBO_NAMESPACE_HTML;
  if (setjmp(memory.exhausted) != 0) return nullptr;
  return gumbo_parse_with_options(&options, utf8.data(), utf8.size());
}

// One UTF-8 sequence's code point from `at`, which moves past it; a broken
// sequence (the reader can hand on bytes as it found them) is
// kNotACodePoint, and only its first byte is passed.
constexpr uint32_t kNotACodePoint = 0xFFFFFFFF;
uint32_t NextCodePoint(std::string_view text, size_t& at) {
  static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};  // no longer sequence than needed
  const uint8_t lead = static_cast<uint8_t>(text[at]);
  const size_t length = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || at + length > text.size()) {
    ++at;
    return kNotACodePoint;
  }
  uint32_t code = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    const uint8_t next = static_cast<uint8_t>(text[at + i]);
    if ((next & 0xC0) != 0x80) {
      ++at;
      return kNotACodePoint;
    }
    code = (code << 6) | (next & 0x3F);
  }
  at += length;
  if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return kNotACodePoint;
  return code;
}

// What of a text or an attribute value stays: control characters (tabs and
// line feeds aside) are no text of a document, and a reader changes them; a
// broken UTF-8 sequence is the U+FFFD a browser reads.
std::string KeptCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const uint8_t c = static_cast<uint8_t>(text[at]);
    if (c < 0x80) {
      if ((c >= 0x20 && c != 0x7F) || c == '\t' || c == '\n') out += static_cast<char>(c);
      ++at;
      continue;
    }
    const size_t start = at;
    const uint32_t code = NextCodePoint(text, at);
    if (code == kNotACodePoint) out += "\xEF\xBF\xBD";
    else if (code >= 0xA0) out.append(text.substr(start, at - start));
  }
  return out;
}

void AppendAscii(vb::String& out, std::string_view ascii) { out.append(ascii.begin(), ascii.end()); }

// Kept characters as markup: the characters that end a text or a value
// escaped, and what code page 936 cannot hold (the site's pages are written
// in it) as numeric references. Line breaks in text as CR LF, as a form's
// text area sends them (the reader makes every break a LF). What is not
// kept (see KeptCharacters) is left out on the way.
void AppendEscaped(vb::String& out, std::string_view text, bool attribute) {
  for (size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (static_cast<uint8_t>(c) < 0x80) {
      if (c == '&') AppendAscii(out, "&amp;");
      else if (c == '<') AppendAscii(out, "&lt;");
      else if (c == '>') AppendAscii(out, "&gt;");
      else if (c == '"' && attribute) AppendAscii(out, "&quot;");
      else if (c == '\n' && !attribute) AppendAscii(out, "\r\n");
      else if ((c >= 0x20 && c != 0x7F) || c == '\t' || c == '\n') out += static_cast<char16_t>(c);
      ++at;
      continue;
    }
    uint32_t code = NextCodePoint(text, at);
    if (code == kNotACodePoint) code = 0xFFFD;
    if (code < 0xA0) continue;
    if (code == 0xA0) AppendAscii(out, "&nbsp;");
    else if (code < 0x10000 && text::AnsiCodeUnsigned(static_cast<char16_t>(code)) != '?')
      out += static_cast<char16_t>(code);
    else AppendAscii(out, "&#" + std::to_string(code) + ";");
  }
}

void AppendStartTag(vb::String& out, const GumboElement& element, const rich_text::AllowedElement& allowed) {
  out += u'<';
  AppendAscii(out, gumbo_normalized_tagname(element.tag));
  for (unsigned i = 0; i < element.attributes.length; ++i) {
    const auto& attribute = *static_cast<const GumboAttribute*>(element.attributes.data[i]);
    // Judged as it is written.
    const std::string value = KeptCharacters(attribute.value);
    if (!rich_text::Keeps(allowed, attribute.name, value)) continue;
    out += u' ';
    AppendAscii(out, attribute.name);
    AppendAscii(out, "=\"");
    AppendEscaped(out, value, true);
    out += u'"';
  }
  out += u'>';
  // The reader drops a line break right after <pre>: one more keeps the text's own.
  if (element.tag == GUMBO_TAG_PRE && element.children.length > 0) {
    const auto& first = *static_cast<const GumboNode*>(element.children.data[0]);
    if ((first.type == GUMBO_NODE_TEXT || first.type == GUMBO_NODE_WHITESPACE) && first.v.text.text[0] == '\n')
      AppendAscii(out, "\r\n");
  }
}

// The kept part of the tree, in document order, without recursion (a text's
// depth is its own).
vb::String Written(const GumboNode& root, size_t expected) {
  struct Open {
    const GumboNode* node;
    unsigned next_child;
    bool written;  // the element's own tags are written
  };
  vb::String out;
  out.reserve(expected);
  std::vector<Open> open{{&root, 0, false}};
  while (!open.empty()) {
    Open& top = open.back();
    const GumboElement& element = top.node->v.element;
    if (top.next_child == element.children.length) {
      if (top.written && !rich_text::IsVoid(element.tag)) {
        AppendAscii(out, "</");
        AppendAscii(out, gumbo_normalized_tagname(element.tag));
        out += u'>';
      }
      open.pop_back();
      continue;
    }
    const GumboNode& child = *static_cast<const GumboNode*>(element.children.data[top.next_child++]);
    if (child.type == GUMBO_NODE_TEXT || child.type == GUMBO_NODE_WHITESPACE) {
      AppendEscaped(out, child.v.text.text, false);
      continue;
    }
    if (child.type != GUMBO_NODE_ELEMENT) continue;  // comments, templates, CDATA
    const GumboElement& e = child.v.element;
    if (e.tag_namespace != GUMBO_NAMESPACE_HTML || IsTagIn<kDroppedWhole>(e.tag)) continue;
    const rich_text::AllowedElement* allowed = rich_text::Allowed(e.tag);
    if (allowed) AppendStartTag(out, e, *allowed);
    open.push_back({&child, 0, allowed != nullptr});
  }
  return out;
}

}  // namespace

std::optional<vb::String> CleanRichText(vb::StringView html) {
  const TreeWork most = MostWork(html);
  // What the cleaner wrote comes back as it is, without a reading; so does
  // plain text that code page 936 holds.
  if (IsWrittenRichText(html, most)) return vb::String(html);
  if (!IsWithin(CountTreeWork(html, most), most)) return std::nullopt;
  const std::string utf8 = vb::ToUtf8(html);
  ReaderMemory memory(kMemoryBase + kMemoryPerInputByte * utf8.size(), kMemoryExpectedPerInputByte * utf8.size());
  GumboOutput* tree = ReadWithin(memory, utf8);
  if (!tree) return std::nullopt;
  // The memory holds the whole tree and goes with it.
  vb::String written = Written(*tree->root, html.size());
  // What it writes, a page takes as it stands. The elements the reader
  // completes (a table's body and rows, the p of a stray </p>) can take it
  // past the limits the text was within: a page would then show it as text.
  if (!IsWrittenRichText(written, MostWork(written))) return std::nullopt;
  return written;
}

vb::String CleanRichTextOrText(vb::StringView html) {
  std::optional<vb::String> clean = CleanRichText(html);
  return clean ? *clean : HtmlEncodeText(html);
}

}  // namespace qe
