// The office page frames: the title row's two branches, the sub-window
// frame, and what the two assemblers put where (pager, contents, the page's
// div dialog) and close.
#include "office/qe_frames.h"

#include <gtest/gtest.h>

#include <memory>

#include "office/office_site.h"
#include "office/qe_dialogs.h"
#include "page/kesra_show_dialog.h"
#include "page/kesra_show_page.h"
#include "page/page_objects.h"
#include "platform/com/object.h"
#include "facade/qecls.h"

namespace office_test {
namespace {

size_t Count(const String& text, const String& piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != String::npos; at = text.find(piece, at + piece.size())) ++n;
  return n;
}

const String kTitleStart = u"<tr height=44><td width=12><img title='' src='../comm/image/title/main_1.asp'></td>";
const String kTitleEnd = u"</td><td width=18><img title='' src='../comm/image/title/main_6.asp'></td></tr>";

TEST(QeShowMainTitle, BlankIconAndTitleGiveTheSingleCellWithoutPrintLink) {
  for (String icon : {u"", u"   "})
    EXPECT_EQ(
        qe::QeShowMainTitle(icon, u"  ", u"<b>其他</b>"),
        kTitleStart + u"<td width='100%' height=44 background=../comm/image/title/main_5.asp><b>其他</b>" + kTitleEnd);
}

TEST(QeShowMainTitle, IconOrTitleGiveTheInnerTableWrittenUntrimmed) {
  const String inner = [](String icon_and_title) {
    return u"<td width='100%' height=44><table cellspacing=0 cellpadding=0 width='100%' border=0><tr>"
           u"<td align=right width=60 background=../comm/image/title/main_5.asp nowrap><img title='' "
           u"src='../comm/image/title/main_2.asp' width=23></td>"
           u"<td nowrap class=toptitle align=left background=../comm/image/title/main_3.asp width=100><nobr>" +
           icon_and_title +
           u"&nbsp;&nbsp;&nbsp;<a href='JavaScript:window.print()'><img src='../comm/image/kesra_print.asp' "
           u"width='16' height='14' border='0' title='打印本页'></nobr></td>"
           u"<td align=left background=../comm/image/title/main_5.asp nowrap><img title='' "
           u"src='../comm/image/title/main_4.asp' width=14></td>"
           u"<td background=../comm/image/title/main_5.asp align=right>右</td></tr></table>";
  }(u"<img src='../comm/image/title/ icon.gif' width=32> 通知 ");
  EXPECT_EQ(qe::QeShowMainTitle(u" icon.gif", u" 通知 ", u"右"), kTitleStart + inner + kTitleEnd);
  const String title_only = qe::QeShowMainTitle(u" ", u"通知", u"右");
  EXPECT_EQ(Count(title_only, u"<img src='../comm/image/title/"), 0u);
  EXPECT_NE(title_only.find(u"width=100><nobr>通知&nbsp;&nbsp;&nbsp;<a href='JavaScript:window.print()'>"),
            String::npos);
}

TEST(QeShowMainLeft, TheArgumentChangesNothing) {
  EXPECT_EQ(qe::QeShowMainLeft(u"1"), qe::QeShowMainLeft(u"-7"));
  auto qe = Variant(std::make_shared<qe::QeCls>());
  EXPECT_EQ(com::Call(qe, u"CommShowMainLeft", int16_t{3}), Variant(qe::QeShowMainLeft(u"")));
}

// The sub-window frame around "C": every row spans seven columns.
TEST(QeShowWindowMini, FramedWindowGoldenAndEveryRowSpansSevenColumns) {
  Variant rs, conn;
  const String window = qe::QeShowWindowMini(u"标题", u"C", rs, conn, false, true);
  EXPECT_EQ(window,
            qe::QeShowMainSubTop() +
                u"<tr><td background=../comm/image/div/div_2.asp colspan=3 ><img height=26 title='' "
                u"src='../comm/image/div/div_1.asp' width=26></td><td background=../comm/image/div/div_2.asp>标题"
                u"</td><td align=right background=../comm/image/div/div_2.asp colspan=3><img height=26 title='' "
                u"src='../comm/image/div/div_3.asp' width=85 useMap=#Map border=0></td></tr>"
                u"<map name=\"Map\"><area shape=\"RECT\" coords=\"59,4,80,23\" href=\"#\" "
                u"onClick=\"window.close()\"></map>"
                u"<tr><td style=\"background-image: URL(../comm/image/div/div_4.asp);background-position: left; "
                u"background-repeat: repeat-y;\" width=9></td><td background=../comm/image/div/div_5.asp colspan=5>"
                u"C</td><td style=\"background-image: URL(../comm/image/div/div_6.asp);background-position:right; "
                u"background-repeat:repeat-y;\" width=10></td></tr>" +
                qe::QeShowSubBottom() + u"</table>");
  // Title 3+1+3, body 1+5+1, bottom 2+3+2, spacer 7 cells.
  const String bottom = qe::QeShowSubBottom();
  EXPECT_EQ(Count(bottom, u"colspan=2"), 2u);
  EXPECT_EQ(Count(bottom, u"colspan=3"), 1u);
  EXPECT_EQ(Count(bottom.substr(bottom.find(u"</tr>") + 5), u"<td"), 7u);
  EXPECT_EQ(qe::QeShowMainSubTop(),
            u"<title>Qe校园网络办公系统【Qe开发组 版权所有】</title><Body BgColor=#ffffff LeftMargin=0  "
            u"Style='background-attachment: scroll; background-position: left bottom; background-repeat: no-repeat' "
            u"TopMargin=0><link href='../comm/comm_style.asp' Rel='stylesheet' Type='text/css'>"
            u"<table cellspacing=0 cellpadding=0 width='100%' border=0>");
}

class FramesOnDataTest : public OfficeSiteTest {};

TEST_F(FramesOnDataTest, MiniWindowClosesTheObjectsWhileTheCallersVariablesKeepThem) {
  for (bool simple : {false, true}) {
    Variant conn = Open(ado_test::Jet(kMainFile));
    Variant rs = Query(conn, u"Select * From [Part]");
    auto qe = Variant(std::make_shared<qe::QeCls>());
    const Variant text =
        com::Call(qe, u"CommShowWindowMini", String(u"T"), String(u"<p>内容</p>"), rs, conn, simple, false);
    if (simple) EXPECT_EQ(text, Variant(String(u"<p>内容</p>")));
    ASSERT_TRUE(rs.IsObject() && conn.IsObject()) << "the caller's variables keep their objects";
    EXPECT_EQ(Long(rs, u"State"), 0);
    EXPECT_EQ(Long(conn, u"State"), 0);
  }
  Variant none;
  EXPECT_EQ(qe::QeShowWindowMini(u"标题", u"C", none, none, true, true),
            u"<div style=\"float:left;width:100%;height:30px;text-align:center;font-size:20px;line-height: "
            u"30px;font-weight:bold;\">标题</div>C");
}

TEST_F(FramesOnDataTest, WholePageOrderPagerAndPageDialog) {
  asp::RequestSpec wanted;
  wanted.url = u"/qe/list.asp";
  asp::Context context(std::move(wanted));
  Variant request = context.Request();
  Variant pages = Variant(std::make_shared<page_test::PagedRecordset>(int32_t{3}, int32_t{25}));
  const String pager = qe::KesraShowPage(request, pages, u"");
  ASSERT_FALSE(pager.empty());

  for (int16_t show : {0, 1, 2, 3, 4, -1}) {
    Variant rs = pages, conn;
    const String page = qe::QeShowWindowMain(request, rs, conn, u"", u"列表", u"", 2, u"[1]", u"[2]", u"[3]", u"[4]",
                                             u"[5]", show, false, true, true);
    const size_t two = page.find(u"[2]");
    EXPECT_EQ(Count(page.substr(0, two), pager), show == 1 || show == 3 ? 1u : 0u) << show;
    EXPECT_EQ(Count(page.substr(two), pager), show == 2 || show == 3 ? 1u : 0u) << show;
    // The contents in order, four and five right after three, then the frame's end.
    EXPECT_NE(page.find(u"[3][4][5]" + qe::QeShowMainRight() + qe::QeShowMainBottom() + u"</table>"), String::npos);
    EXPECT_TRUE(page.ends_with(u"</table>")) << "no dialog without p_ShowRead";
    EXPECT_TRUE(rs.IsNothing()) << "the foot released the recordset";
  }
  Variant rs, conn;
  const String empty_slots =
      qe::QeShowWindowMain(request, rs, conn, u"", u"T", u"", 0, u"a", u"b", u"c", u"", u"", 0, false, false, false);
  EXPECT_EQ(empty_slots, qe::QeShowMainSubTop() + qe::QeShowMainTitle(u"", u"T", u"") + qe::QeShowMainLeft(u"0") +
                             u"abc" + qe::QeShowMainRight() + qe::QeShowMainBottom() + u"</table>");

  // p_ShowRead: the page's div dialog after the table, in the look asked for.
  for (bool simple : {true, false})
    for (bool refresh : {true, false}) {
      const String page =
          qe::QeShowWindowMain(request, rs, conn, u"", u"T", u"", 0, u"", u"", u"", u"", u"", 0, true, simple, refresh);
      const String dialog =
          simple ? qe::KesraShowDialogDivFrame(100, 100, refresh, u"divDialogUserList")
                 : vb::CStr(qe::QeShowDialogDivFrame(Variant(int16_t{100}), Variant(int16_t{100}), Variant(refresh),
                                                     Variant(String(u"divDialogUserList"))));
      EXPECT_TRUE(page.ends_with(u"</table>" + dialog)) << simple << refresh;
    }
}

}  // namespace
}  // namespace office_test
