// Any text as a record's value through the form's controls, the cells read
// by an HTML5 parser as a browser reads them: the text box, text area,
// suggestion box, colour input and rich-text editor are one control each,
// whose value (a text area's text) is the value as the renderer trims it
// (and, for the editor, as the rich-text cleaner keeps it); the
// groups are their options; no other element or attribute appears, and no
// script but the editor's own.
//
// Input: one byte choosing the control, then UTF-16 code units (two bytes
// each), the stored value.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "common/rich_text_cleaner.h"
#include "page/kesra_show_td.h"
#include "page/page_objects.h"
#include "platform/vb/strings.h"
#include "support/html_parse.h"

namespace {

void Check(bool condition, const char* what, const vb::String& cells) {
  if (condition) return;
  std::fprintf(stderr, "%s\n%s\n", what, vb::ToUtf8(cells).c_str());
  std::abort();
}

// What the parser makes of text it reads: line ends as LF; NUL, control
// characters other than blanks and the noncharacters as U+FFFD (gumbo
// replaces those that browsers keep).
std::string AsParsed(const vb::String& value) {
  vb::String text = vb::Replace(vb::Replace(value, u"\r\n", u"\n"), u"\r", u"\n");
  for (char16_t& c : text)
    if (c <= 0x08 || c == 0x0B || (c >= 0x0E && c <= 0x1F) || (c >= 0x7F && c <= 0x9F) ||
        (c >= 0xFDD0 && c <= 0xFDEF) || c >= 0xFFFE)
      c = 0xFFFD;
  return vb::ToUtf8(text);
}

const std::set<std::string> kInputAttributes = {"name", "id", "type", "class", "style", "onkeydown",
                                                "value", "list", "title", "required"};
const std::set<std::string> kTextAreaAttributes = {"rows", "name", "id", "class", "onkeydown", "style", "readonly",
                                                   "required"};
const std::set<std::string> kEditorTextAreaAttributes = {"name", "id", "style"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const int16_t kTypes[] = {1, 5, 15, 400, 7, 14, 16};
  const int16_t type = kTypes[data[0] % std::size(kTypes)];
  vb::String value;
  for (size_t i = 1; i + 1 < size; i += 2) {
    char16_t c = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;  // one code unit of a pair: no text
    value.push_back(c);
  }
  vb::Variant rs(std::make_shared<page_test::RowRecordset>(
      std::vector<std::pair<vb::String, vb::Variant>>{{u"f", vb::Variant(value)}}));
  vb::Variant conn(u"");
  const vb::String list = u"$a$b|B$3";
  const vb::String cells = qe::KesraShowTd(conn, rs, type, 120, 4, 1, u"标题", u"n", u"f", 0, list, 2, 1, u"*", u"",
                                           u"", u"", 0, u"", 0);
  qe_test::ParsedHtml html(vb::ToUtf8(cells), true);
  const auto scripts = html.WithTag("script");
  if (type == 16) {
    Check(scripts.size() == 2, "scripts other than the editor and its start", cells);
    Check(scripts[1].text ==
              "qe.editor('n',function(){this.width = '120';this.height = '4';"
              "this.uploadUrl = '../comm_qeeditor/upload.asp';this.create();});",
          "the editor starts otherwise", cells);
  } else {
    Check(scripts.empty(), "a script element", cells);
  }
  const auto named = html.Named("n");
  // The editor's text area holds the stored HTML as the rich-text cleaner keeps it.
  const std::string shown = AsParsed(type == 16 ? qe::CleanRichTextOrText(vb::Trim(value)) : vb::Trim(value));
  switch (type) {
    case 7:
    case 14:
      Check(named.size() == 3, "a group of other than its three options", cells);
      for (const auto& option : named)
        for (const auto& [attribute, _] : option.attributes)
          Check(kInputAttributes.count(attribute) || attribute == "checked", "an attribute of its own", cells);
      break;
    case 5:
    case 16: {
      const std::set<std::string>& allowed = type == 5 ? kTextAreaAttributes : kEditorTextAreaAttributes;
      Check(named.size() == 1 && named[0].tag == "textarea", "not one text area", cells);
      Check(named[0].text == shown, "the text area holds another text", cells);
      for (const auto& [attribute, _] : named[0].attributes)
        Check(allowed.count(attribute), "an attribute of its own", cells);
      break;
    }
    default:
      Check(named.size() == 1 && named[0].tag == "input", "not one input", cells);
      Check(named[0].Attribute("value") == shown, "the input holds another value", cells);
      for (const auto& [attribute, _] : named[0].attributes)
        Check(kInputAttributes.count(attribute), "an attribute of its own", cells);
  }
  // The page around the cells (html, head, body, table, tbody, tr), the two
  // cells, the controls, the suggestions (a datalist of four options) and
  // the marker; the editor's two scripts and its box.
  const size_t expected = 6 + 2 + named.size() + (type == 15 ? 5 : 0) + (type == 16 ? 3 : 0) + 1;
  Check(html.WithTag("td").size() == 2, "cells of its own", cells);
  Check(html.Elements().size() == expected, "elements of its own", cells);
  return 0;
}
