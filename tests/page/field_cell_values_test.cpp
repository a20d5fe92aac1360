// Stored values through the form's controls, read back as a browser reads
// them: the value a control shows (and posts) is the stored text, whatever
// it holds; groups compare numbers of any size; a Boolean that is neither
// stays unchecked; date inputs get the one form they hold.
#include <gtest/gtest.h>

#include "common/rich_text_cleaner.h"
#include "page/field_cell_test.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "shell/qe_main_database.h"
#include "facade/qecls.h"
#include "support/html_parse.h"
#include "support/temp_site.h"

namespace {

using page_test::FieldArgs;
using page_test::RowOf;
using page_test::Td;
using qe_test::ParsedHtml;

const char16_t* const kAwkwardValues[] = {
    u"O'Brien",
    u"a < b & c",
    u"\"quoted\"",
    u"中文",
    u"</textarea><script>alert(1)</script>",
    u"&lt;b&gt; &amp; &#39;",
    u"<b onmouseover='x()'>",
    u"x' onfocus='alert(1)",
};

// The value a browser takes from the control named "n".
std::string ShownValue(const vb::String& cells, int16_t type) {
  ParsedHtml html(vb::ToUtf8(cells), true);
  std::vector<qe_test::HtmlElement> named = html.Named("n");
  if (named.size() != 1) return "<" + std::to_string(named.size()) + " controls>";
  return type == 5 ? named[0].text : named[0].Attribute("value");
}

TEST(FieldCellValues, EveryControlShowsTheStoredText) {
  for (int16_t type : {1, 5, 15, 21, 160, 181, 202}) {
    for (const char16_t* value : kAwkwardValues) {
      FieldArgs a;
      a.type = type, a.state = 2, a.title = u"标题", a.pop_field = u"$x";
      const vb::String cells = Td(a, RowOf(vb::Variant(value)));
      EXPECT_EQ(ShownValue(cells, type), vb::ToUtf8(value)) << "type " << type << ": " << vb::ToUtf8(cells);
      EXPECT_TRUE(ParsedHtml(vb::ToUtf8(cells), true).WithTag("script").empty()) << vb::ToUtf8(cells);
    }
  }
}

TEST(FieldCellValues, TextAreasKeepLeadingLineBreaks) {
  for (const char16_t* value : {u"\r\nsecond line", u"\n\nthird", u"\r\n", u"one\r\ntwo\r\n"}) {
    FieldArgs a;
    a.type = 5, a.state = 3;
    const vb::String cells = Td(a, RowOf(vb::Variant(value)));
    // A browser posts the lines joined by CR LF: what it shows is the value
    // with its line ends read as one.
    std::string expected = vb::ToUtf8(vb::Replace(value, u"\r\n", u"\n"));
    EXPECT_EQ(ShownValue(cells, 5), expected) << vb::ToUtf8(cells);
  }
}

// The rich-text editor starts from its text area's value: stored HTML must
// arrive there as the text the cleaner keeps of it (what an editor made, as
// it is, escaped markup included), and nothing of it may leave the text area.
TEST(FieldCellValues, RichTextReachesTheEditorAsText) {
  std::vector<vb::String> values(std::begin(kAwkwardValues), std::end(kAwkwardValues));
  values.push_back(u"<p>x &lt;y&gt; &amp; 中</p>");
  values.push_back(u"\r\n<p>after a line break</p>");
  for (const vb::String& made : {values[values.size() - 2], values.back()})
    EXPECT_EQ(qe::CleanRichTextOrText(made), made);
  for (int16_t type : {16, 17}) {
    for (const vb::String& value : values) {
      FieldArgs a;
      a.type = type, a.state = 2;
      const vb::String cells = Td(a, RowOf(vb::Variant(value)));
      ParsedHtml html(vb::ToUtf8(cells), true);
      std::vector<qe_test::HtmlElement> named = html.Named("n");
      ASSERT_EQ(named.size(), 1u) << vb::ToUtf8(cells);
      EXPECT_EQ(named[0].text, vb::ToUtf8(vb::Replace(qe::CleanRichTextOrText(value), u"\r\n", u"\n")))
          << vb::ToUtf8(value);
      const std::vector<qe_test::HtmlElement> scripts = html.WithTag("script");
      ASSERT_EQ(scripts.size(), 2u) << "the editor and its start, nothing of the value";
      EXPECT_EQ(scripts[1].text.rfind("qe.editor('n',function(){", 0), 0u) << scripts[1].text;
    }
  }
}

TEST(FieldCellValues, TheColourIsEncodedInItsStyle) {
  FieldArgs a;
  a.type = 400, a.state = 2;
  const vb::String cells = Td(a, RowOf(u"red' onmouseover='x()"));
  ParsedHtml html(vb::ToUtf8(cells), true);
  ASSERT_EQ(html.Named("n").size(), 1u);
  EXPECT_FALSE(html.Named("n")[0].Has("onmouseover"));
  EXPECT_NE(html.Named("n")[0].Attribute("style").find("background-color:red' onmouseover='x();"), std::string::npos);
}

TEST(FieldCellValues, LiteralsAreTheCallersMarkup) {
  FieldArgs a;
  a.state = 2, a.field = u"$O'Brien";
  EXPECT_TRUE(Td(a).ends_with(u" value='O'Brien'>"));
  a.type = 5, a.field = u"$<b>x</b>";
  EXPECT_NE(Td(a).find(u"'><b>x</b></textarea>"), vb::String::npos);
}

TEST(FieldCellValues, GroupsCompareWholeNumbersOfAnySize) {
  FieldArgs a;
  a.type = 14, a.state = 2, a.pop_field = u"$40000$1$2.5$70000|七万";
  const vb::String out = Td(a, RowOf(vb::Variant(int32_t{40000})));
  EXPECT_NE(out.find(u"value='40000' Checked >"), vb::String::npos);
  EXPECT_EQ(out.find(u"Checked"), out.rfind(u"Checked"));
  EXPECT_NE(Td(a, RowOf(u" 70000.4 ")).find(u"value='70000' Checked >七万"), vb::String::npos);
  EXPECT_NE(Td(a, RowOf(u"2")).find(u"value='2.5' Checked >"), vb::String::npos) << "2.5 rounds to even";
  a.pop_field = u"$1e400$5";
  // Too large to be a number: compared as text, without an error.
  EXPECT_NE(Td(a, RowOf(u"1e400")).find(u"value='1e400' Checked >"), vb::String::npos);
}

TEST(FieldCellValues, ABooleanThatIsNeitherChecksNothing) {
  FieldArgs a;
  a.type = 4, a.state = 2;
  for (const char16_t* literal : {u"$yes", u"$", u"$ja nein"}) {
    a.field = literal;
    EXPECT_EQ(Td(a).find(u"Checked"), vb::String::npos) << vb::ToUtf8(literal);
  }
  a.field = u"f";
  EXPECT_EQ(Td(a, RowOf(u"maybe")).find(u"Checked"), vb::String::npos);
  EXPECT_EQ(Td(a, RowOf(u"")).find(u"Checked"), vb::String::npos);
  a = FieldArgs{};
  a.type = 7, a.state = 2, a.pop_field = u"$yes|是$no|否$1|一";
  const vb::String out = Td(a, RowOf(vb::Variant(true)));
  EXPECT_NE(out.find(u"value='1' Checked >一"), vb::String::npos) << "yes and no are no Booleans";
  EXPECT_EQ(out.find(u"Checked"), out.rfind(u"Checked"));
}

TEST(FieldCellValues, DateInputsGetYearMonthDay) {
  struct Case {
    vb::Variant stored;
    const char* shown;
  };
  const Case cases[] = {
      {vb::Variant(u"20240105"), "2024-01-05"},
      {vb::Variant(u" 20241231 "), "2024-12-31"},
      {vb::Variant(u"2024/1/5"), "2024-01-05"},
      {vb::Variant(u"2024-2-29"), "2024-02-29"},
      {vb::Variant(u"20240230"), "20240230"},  // no such day: as it stands
      {vb::Variant(u"O'Brien"), "O'Brien"},
      {vb::Variant(u""), ""},
  };
  for (const Case& c : cases) {
    FieldArgs a;
    a.type = 2, a.state = 2;
    EXPECT_EQ(ShownValue(Td(a, RowOf(c.stored)), 2), c.shown) << c.shown;
  }
}

// Through the façade, on a recordset of the main database.
TEST(FieldCellValues, TheFacadeEncodesTheRecordAndNotTheLiteral) {
  qe_test::TempSite site;
  site.MakeFolder("site/data");
  qe::CreateMainDatabaseFromSchema(u"C:\\site\\data\\qe.asp");
  vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Call(conn, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\qe.asp"));
  com::Call(conn, u"Execute", vb::String(u"Insert Into Part (Part) Values ('O''Brien <b>')"));
  vb::Variant rs(com::CreateObject(u"ADODB.Recordset"));
  com::Call(rs, u"Open", vb::String(u"Select * From Part"), conn, int32_t{1}, int32_t{1});
  qe::RegisterComponentClasses();
  vb::Variant qe(com::CreateObject(u"QE.QeCls"));
  auto cell = [&](const char16_t* field) {
    return vb::CStr(com::Call(qe, u"CommShowTd", conn, rs, int16_t{1}, int32_t{200}, int32_t{1}, int16_t{1},
                              vb::String(u"allnull"), vb::String(u"p"), vb::String(field), int16_t{0}, vb::String(),
                              int16_t{2}, int16_t{1}, vb::String(), vb::String(), vb::String()));
  };
  EXPECT_EQ(cell(u"Part"), u"&nbsp;<input name='p' id='p' type='text' class='inputtext' style='width:200px;;'  "
                           u"onkeydown='onKeyDownDefault(this);'  value='O&#39;Brien &lt;b&gt;'>");
  EXPECT_NE(cell(u"$O'Brien").find(u" value='O'Brien'>"), vb::String::npos);
  com::Call(rs, u"Close");
  com::Call(conn, u"Close");
}

}  // namespace
