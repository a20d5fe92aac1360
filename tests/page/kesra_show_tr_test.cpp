// Form rows around one field, the rows the office pages build with them (the
// save message's read-only rows, the UBB block's body field), and list rows
// with alternating colours.
#include "page/kesra_show_tr.h"

#include <gtest/gtest.h>

#include "page/field_cell_test.h"

namespace {

TEST(FormRow, WrapsTheFieldsCellsInARow) {
  vb::Variant conn(u""), rs(u"");
  EXPECT_EQ(qe::KesraShowTr(conn, rs, u"", 21, 100, 1, 1, u"名称", u"n", u"$值", 0, u"", 1, 1, u"", u"", u"", u"", 0, u"", 1),
            u"<tr class=tdbg align=center><td align='right' bgcolor='#dcdcf9' colspan=2>名称：</td>"
            u"<td align='left' bgcolor='#eeeeff'  colspan=1>&nbsp;<input name='n' id='n' type='text' class='inputtext' "
            u"style='width:100px;;'  onkeydown='onKeyDownDefault(this);' ></td></tr>");
  EXPECT_EQ(qe::KesraShowTr(conn, rs, u"class=x id=r", 13, 0, 0, 1, u"allnull", u"", u"f", 0, u"", 1, 1, u"", u"",
                            u"", u"", -1, u"", 1),
            u"<tr class=x id=r></tr>");
}

// The save message's rows: a literal label and value, read-only, never
// reading the recordset (pages pass it whatever it holds).
TEST(FormRow, TheSaveMessagesRowsShowTheirLiteralValues) {
  vb::Variant conn(u""), rs(u"");
  EXPECT_EQ(qe::KesraShowTr(conn, rs, u"", 1, 265, 21, 1, u"文章标题", u"", u"$ 春季运动会 ", 0, u"", 3, 1, u"", u"",
                            u"", u"", 0, u"", 1),
            u"<tr class=tdbg align=center><td align='right' bgcolor='#dcdcf9' colspan=2>文章标题：</td>"
            u"<td align='left' bgcolor='#eeeeff'  colspan=1>&nbsp;<font style='word-wrap: break-word'>春季运动会</font>"
            u"</td></tr>");
  EXPECT_NE(qe::KesraShowTr(conn, rs, u"", 1, 265, 21, 1, u"所属栏目ID", u"", u"$12", 0, u"", 3, 1, u"", u"", u"", u"",
                            0, u"", 1)
                .find(u">12</font>"),
            vb::String::npos);
}

// The UBB block's body: the text area Content, 21 rows of 760 pixels, filled
// from the record when editing or showing, read-only when showing or not
// editable, never required, without cells.
TEST(FormRow, TheUbbBlocksBodyField) {
  vb::Variant conn(u"");
  auto body = [&](int16_t state, int16_t allow_edit) {
    vb::Variant rs = page_test::RowOf(u"", {{u"Content", vb::Variant(u"[b]hi[/b]")}});
    return qe::KesraShowTd(conn, rs, 5, 760, 21, 1, u"allnull", u"", u"Content", 0, u"", state, allow_edit, u"", u"",
                           u"", u"", 0, u"", 1);
  };
  const vb::String opening = u"&nbsp;<textarea rows='21' name='Content'  id='Content'  class='inputedit' "
                             u"onkeydown='onKeyDownDefault(this);' style='width:760px;";
  EXPECT_EQ(body(1, 1), opening + u" '></textarea>");
  EXPECT_EQ(body(2, 1), opening + u" '>[b]hi[/b]</textarea>");
  EXPECT_EQ(body(2, 0), opening + u" background:#eeeeff;' readonly >[b]hi[/b]</textarea>");
  EXPECT_NE(body(3, 1).find(u"resize:none;' readonly >[b]hi[/b]</textarea>"), vb::String::npos);
}

TEST(GridRow, OddRowsTakeTheFirstColourAndEvenRowsTheSecond) {
  struct Case {
    int16_t row;
    const char16_t* colour;
  };
  for (const Case& c : {Case{1, u"#eeeeff"}, Case{-1, u"#eeeeff"}, Case{32767, u"#eeeeff"}, Case{-32768, u"#e5e5f9"},
                        Case{0, u"#e5e5f9"}, Case{2, u"#e5e5f9"}}) {
    EXPECT_EQ(qe::KesraShowGridTr(c.row, u"", u"#eeeeff", u"#e5e5f9", u"#cceecc", u"center"),
              u"<tr align=center  bgcolor='" + vb::String(c.colour) +
                  u"' onmouseover=\"this.style.backgroundColor='#cceecc'\"  onmouseout=\"this.style.backgroundColor='" +
                  c.colour + u"'\">")
        << c.row;
  }
  EXPECT_EQ(qe::KesraShowGridTr(3, u"class=x", u"a", u"b", u"c", u"left"),
            u"<tr align=left class=x bgcolor='a' onmouseover=\"this.style.backgroundColor='c'\"  "
            u"onmouseout=\"this.style.backgroundColor='a'\">");
}

}  // namespace
