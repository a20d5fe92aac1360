// Page headers, title bars, boxes, table frames and header rows, the floating
// window and the hidden input: exact text per branch and the switches that
// choose between them.
#include <gtest/gtest.h>

#include "common/system_title.h"
#include "page/kesra_script_window.h"
#include "page/kesra_show_header.h"
#include "platform/vb/convert.h"
#include "platform/vb/raises.h"

namespace {

const vb::String kBarRight = u"</td></tr></table>";
vb::String Spacer(int height) {
  return u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=" + vb::CStr(vb::Variant(static_cast<int32_t>(height))) +
         u"><td></td></tr></table>";
}
vb::String BarLeft(const vb::String& width) {
  return u"<table class=Content_border cellpadding=0 cellspacing=1 boarder=0 width='" + width +
         u"' align=center><tr align=center><td class='searchbg'>";
}
const vb::String kPrint =
    u"&nbsp;&nbsp;<a href='javascript:window.print()'><img src='../comm/image/kesra_printer.asp' width='16' "
    u"height='14' border='0' title='打印本页'></a>";

vb::String TitleTopOf(const vb::String& icons) {
  return Spacer(5) + u"<table cellspacing=0 cellpadding=0 border=0 width='96%' align=center>"
         u"<tr><td align=center width='100%'><font class=dddfont5>〖实验中学〗" + qe::SystemName() +
         u"</font></td></tr><tr><td align=right width='100%'><a href='help.asp'>帮助</a>" + icons +
         u"&nbsp;&nbsp;<a href=# onclick=\"if(confirm('真的要退出【" + qe::SystemTitle() +
         u"】吗？')==false) {return false;}else{document.location.href='../comm/logout.asp';}\">"
         u"<img src='../comm/image/kesra_quit.asp' border='0' title='安全退出'></a></td></tr>"
         u"<tr><td align=center width='100%'><font class=dddfont1>通知列表</font>" + kBarRight + Spacer(16);
}

TEST(KesraShowTitleTop, OnlyTheValueOneSwitchesTheExportAndPrintIconsOn) {
  const vb::String excel =
      u"<a href=\"list.asp?export=1\" onclick='return openwindow_resizable(this.href,800,600);'>"
      u"<img src='../comm/image/kesra_excel.asp' border=0  title='导出至excel'></a>";
  auto top = [](int16_t excel_allow, int16_t print_allow) {
    return qe::KesraShowTitleTop(u"实验中学", u"通知列表", u"list.asp?export=1", excel_allow, print_allow, u"96%",
                                 u"<a href='help.asp'>帮助</a>");
  };
  EXPECT_EQ(top(1, 1), TitleTopOf(excel + kPrint));
  EXPECT_EQ(top(1, 0), TitleTopOf(excel));
  EXPECT_EQ(top(2, -1), TitleTopOf(u""));
  EXPECT_EQ(top(-1, 1), TitleTopOf(kPrint));
}

TEST(KesraShowHeader, TheOlderHeaderWithItsOwnIconsAndLogout) {
  EXPECT_EQ(qe::KesraShowHeader(u"成绩", u"x.asp", 1, 1, 760, u""),
            u"<table cellspacing=0 cellpadding=0 border=0 width='760' align=center><tr><td align=center width='90%'>"
            u"<br><font class=dddfont5>〖" + qe::OrganisationName() +
                u"〗Qe</font><br><br><font class=dddfont1>成绩</font></td><td width='10%'>"
                u"<a href=\"x.asp\" onclick='return OpenWindowResize(this.href,800,600);'>"
                u"<img src='../kesra/image/kesra_excel.asp' border=0  title='导出至excel'></a>"
                u"&nbsp;&nbsp;<a href='javascript:window.print()'><img src='../kesra/image/kesra_printer.asp' "
                u"width='16' height='14' border='0' title='打印本页'></a>"
                u"&nbsp;&nbsp;<a href=# onclick=\"if(confirm('真的要退出【Qe】吗？')==false) {return false;}"
                u"else{document.location.href='../kesra/kesra_logout.asp';}\"><img src='../kesra/image/kesra_quit.asp' "
                u"border='0' title='安全退出'></a>" +
                kBarRight + Spacer(16));
  EXPECT_EQ(qe::KesraShowHeader(u"成绩", u"x.asp", 0, 0, 100, u"<i>o</i>").find(u"kesra_excel"), vb::String::npos);
}

const vb::String kBarOpening =
    u"<table cellspacing=0 cellpadding=0 width='90%' border=0 align=center height='30'><tr>"
    u"<td nowrap class=toptitle align=center width='90%'>编辑";
const vb::String kWindowClose =
    u"window.opener=null;window.open(\"\",\"_self\");window.close();window.top.open(\"\",\"_top\").close();"
    u"parent.close();";
const vb::String kDialogClose =
    u"var d=parent.document.getElementsByClassName(\"dialog\");"
    u"for(var i=d.length-1;i>=0;i--){if(d[i].open){d[i].close();break;}}return false;";
const vb::String kBarClosing = u"</td><td width='10%'>[其他]" + kBarRight;

TEST(KesraShowTitleHeader, CloseDialogCloseAndPrintSwitches) {
  const vb::String image = u"<img src='../comm/image/kesra_close.asp' border=0 title='关闭' class=no-print></a>";
  const vb::String print =
      u"&nbsp;&nbsp;<a href='javascript:window.print()'><img src='../comm/image/kesra_printer.asp' width='16' "
      u"height='14' border='0' title='打印本页' class=no-print></a>";
  EXPECT_EQ(qe::KesraShowTitleHeader(u"编辑", u"closeDialog print", u"[其他]"),
            kBarOpening + u"&nbsp;&nbsp;<a href='javascript:void(0);' onclick='" + kDialogClose + u"' title='关闭'>" +
                image + print + kBarClosing);
  EXPECT_EQ(qe::KesraShowTitleHeader(u"编辑", u"close", u"[其他]"),
            kBarOpening + u"&nbsp;&nbsp;<a href=# onclick='" + kWindowClose + u"' title='关闭'>" + image + kBarClosing);
  // The words are case-sensitive.
  EXPECT_EQ(qe::KesraShowTitleHeader(u"编辑", u"Close,Print", u"[其他]"), kBarOpening + kBarClosing);
}

TEST(KesraShowHeader2, TheOlderBarClosesTheWindowForCloseDialogToo) {
  EXPECT_EQ(qe::KesraShowHeader2(u"编辑", u"closeDialog print", u"[其他]"),
            kBarOpening + u"&nbsp;&nbsp;<a href=# onclick='" + kWindowClose +
                u"' title='关闭'><img src='../comm/image/kesra_close.asp' border=0 title='关闭'></a>" + kPrint +
                kBarClosing);
  EXPECT_EQ(qe::KesraShowHeader2(u"编辑", u"", u"[其他]"), kBarOpening + kBarClosing);
}

TEST(LabelledBox, BothVariantsBracketTheThirdParameter) {
  for (auto box : {qe::KesraShowTitleSingle, qe::KesraShowHeader1}) {
    EXPECT_EQ(box(u"80%", u"共 3 条", u"查询结果"), BarLeft(u"80%") + u"【查询结果】&nbsp;&nbsp;共 3 条" + kBarRight);
    EXPECT_EQ(box(u"", u"共 3 条", u""), BarLeft(u"100%") + u"共 3 条" + kBarRight);
  }
}

TEST(KesraShowBox, ColouredTitleStripContentAndBottomImage) {
  EXPECT_EQ(qe::KesraShowBox(u"公告", u"内容", u"#b5b6b5", u"#ffffff", u"#f7f7f7", u"#000000", u"right",
                             u"../comm/image/kesra_line.asp"),
            u"<table cellspacing=5 cellpadding=0 width='95%' bgColor=#ffffff border=0 style='word-break: break-all;'>"
            u"<tr><td bgcolor='#b5b6b5' height=22><div align=right><span><span><strong><font color='#ffffff'>公告"
            u"</font></strong></span></span></div></td></tr><tr><td valign=top bgcolor='#f7f7f7'><div align=left>"
            u"<font color='#000000'>内容</font></div></td></tr></table><table cellspacing=0 cellpadding=0 "
            u"width='99%' border=0><tr><td><img height=8 src='../comm/image/kesra_line.asp' width=105></td></tr>"
            u"</table><table cellspacing=0 cellpadding=0 width='100%' border=0><tr><td>&nbsp;</td></tr></table>");
}

TEST(KesraShowTableDouble, OuterFrameOnlyWhenDoubleAndFixedLayoutOnlyWhenAsked) {
  const vb::String outer =
      u"<table cellspacing='0' cellpadding='3' bordercolor='#3366cc' border='2' align=center  style='background-color:"
      u"white;border-color:#3366cc;border-width:1px;border-style:none;width:100%;border-collapse:collapse;'><tr>"
      u"<td bgcolor=''>";
  const vb::String inner =
      u"<table width='100%' border='1' cellpadding='0' cellspacing='0' height='40' style='border-collapse: collapse' "
      u"bordercolor='#C0C0C0' bgcolor='#ffffff' style='";
  EXPECT_EQ(qe::KesraShowTableDouble(u" ", u"", u"", true, true), outer + inner + u"table-layout: fixed;word-break:break-all'>");
  EXPECT_EQ(qe::KesraShowTableDouble(u"", u"#EFE9EF", u"#C0C0C0", false, false), inner + u"word-break:break-all'>");
}

TEST(KesraShowTableHeader, WidthSpansAndColoursByTheirLeadingNumbers) {
  EXPECT_EQ(qe::KesraShowTableHeader(u" 标题|*$日期|80|2$作者|30%|1|2|excel$点击|1|1|1|#fff$x|abc|3x|1|y ", 30,
                                     u"class =titlebg"),
            u"<tr align='center'  height=30 class =titlebg  >"
            u"<td align='center'  Width='*'>标题</td>"
            u"<td align='center'  Width='80' ColSpan='2'>日期</td>"
            u"<td align='center'  Width='30%' RowSpan='2' bgcolor=#b5f9de>作者</td>"
            u"<td align='center'  bgcolor=#fff>点击</td>"
            u"<td align='center'  ColSpan='3x'>x</td></tr>");
  // Height 0 and no class: the row opening alone.
  EXPECT_EQ(qe::KesraShowTableHeader(u"a|1.5|1.5", 0, u" "), u"<tr align='center'  ><td align='center'  Width='1.5' ColSpan='1.5'>a</td></tr>");
  EXPECT_EQ(qe::KesraShowTableHeader(u"  ", 30, u"class =titlebg"), u"");
  EXPECT_RAISES(vb::kSubscriptOutOfRange, qe::KesraShowTableHeader(u"a|20$b", 30, u""));
}

TEST(KesraShowTableHeaderEmpty, ZeroHeightRowOfTheWidths) {
  EXPECT_EQ(qe::KesraShowTableHeaderEmpty(u"20%|80"),
            u"<tr class=tdbg height=0><td width='20%'></td><td width='80'></td></tr>");
  EXPECT_EQ(qe::KesraShowTableHeaderEmpty(u""), u"<tr class=tdbg height=0></tr>");
}

vb::String Window(const vb::String& scripts, const vb::String& scrolls, const char16_t* offset, const vb::String& visible) {
  return scrolls + scripts + u"<div id=\"floater\" style=\"position:absolute; width:200px; z-index:1; left:" +
         offset + u"px; top: " + offset + u"px; visibility: " + visible +
         u"\"><table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" align=\"center\">"
         u"<tr bgcolor=\"#000066\"><td height=18 align=center><table width=\"100%\" border=\"1\" height=\"20\" "
         u"cellpadding=\"0\" cellspacing=\"0\" style=\"border-collapse: collapse;cursor:move\" bordercolor=\"#111111\" "
         u"align=center><tr><td bgcolor=\"#9CDB73\" align=center><img src=\"../comm/image/kesra_ts.asp\" "
         u"align=absmiddle> 菜单<a href=\"javascript:closeLoginForm()\"><img src=\"../comm/image/kesra_close.asp\" "
         u"height=12 width=12 border=0 align=absmiddle title=\"关闭窗口\"></a></td></tr></table>"
         u"<table bgcolor=#B5E4FB border=\"1\" cellpadding=\"0\" cellspacing=\"0\" style=\"border-collapse: collapse\" "
         u"bordercolor=\"#111111\" width=\"200\" align=\"center\"><tr><td>项</td></tr></table></td></tr></table></div>";
}

TEST(KesraShowMenuMoveContent, ScriptsAndScrollMarkersByTheSwitchesAndOffScreenOnlyForHidden) {
  auto window = [](uint8_t s1, uint8_t s2, const char16_t* visible, bool move, bool expand) {
    return qe::KesraShowMenuMoveContent(200, 20, u"菜单", s1, s2, u"<tr><td>项</td></tr>", visible, move, expand);
  };
  const vb::String both = u"<div id=\"scroll1\"></div><div id=\"scroll2\"></div>";
  EXPECT_EQ(window(1, 1, u"hidden", true, true),
            Window(qe::KesraScriptListMenu() + qe::KesraScriptListMenuMove() + qe::KesraScriptFloaterToggle(true, true),
                   both, u"-1000", u"hidden"));
  EXPECT_EQ(window(1, 0, u"Hidden", true, false),
            Window(qe::KesraScriptListMenuMove() + qe::KesraScriptFloaterToggle(true, false),
                   u"<div id=\"scroll1\"></div>", u"0", u"Hidden"));
  EXPECT_EQ(window(1, 1, u"visible", false, true),
            Window(qe::KesraScriptListMenu() + qe::KesraScriptFloaterToggle(false, true), u"", u"0", u"visible"));
}

TEST(KesraShowHiddenInput, TheNameIsTheIdTooAndTheValueStandsAsGiven) {
  EXPECT_EQ(qe::KesraShowHiddenInput(u"Content", u"&lt;p&gt;"),
            u"<input type='hidden'  name='Content' id='Content' value='&lt;p&gt;'>");
}

}  // namespace
