#include "office/qe_frames.h"

#include <string>

#include "common/decimal_text.h"
#include "common/page_address.h"
#include "common/system_title.h"
#include "office/qe_dialogs.h"
#include "page/kesra_show_dialog.h"
#include "page/kesra_show_page.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

bool Blank(const vb::String& text) { return vb::Trim(text).empty(); }

// The dialog that the reader lists and recipient pickers of the page open.
constexpr char16_t kPageDivDialog[] = u"divDialogUserList";

}  // namespace

vb::String QeShowMainSubTop() {
  return u"<title>" + SystemTitle() +
         u"</title>"
         u"<Body BgColor=#ffffff LeftMargin=0  Style='background-attachment: scroll; background-position: left "
         u"bottom; background-repeat: no-repeat' TopMargin=0>"
         u"<link href='../comm/comm_style.asp' Rel='stylesheet' Type='text/css'>"
         u"<table cellspacing=0 cellpadding=0 width='100%' border=0>";
}

vb::String QeShowMainTitle(vb::String p_ImageUrl, vb::String p_Title, vb::String p_titleOther) {
  vb::String out = u"<tr height=44><td width=12><img title='' src='../comm/image/title/main_1.asp'></td>";
  if (Blank(p_ImageUrl) && Blank(p_Title)) {
    out += u"<td width='100%' height=44 background=../comm/image/title/main_5.asp>" + p_titleOther;
  } else {
    out +=
        u"<td width='100%' height=44><table cellspacing=0 cellpadding=0 width='100%' border=0><tr>"
        u"<td align=right width=60 background=../comm/image/title/main_5.asp nowrap><img title='' "
        u"src='../comm/image/title/main_2.asp' width=23></td>"
        u"<td nowrap class=toptitle align=left background=../comm/image/title/main_3.asp width=100><nobr>";
    if (!Blank(p_ImageUrl))
      out += u"<img src='" + PageAddressInAttribute(u"../comm/image/title/" + p_ImageUrl, AttributeQuote::kSingle) +
             u"' width=32>";
    if (!Blank(p_Title)) out += p_Title;
    out +=
        u"&nbsp;&nbsp;&nbsp;<a href='JavaScript:window.print()'><img src='../comm/image/kesra_print.asp' "
        u"width='16' height='14' border='0' title='打印本页'>"
        u"</nobr></td>"
        u"<td align=left background=../comm/image/title/main_5.asp nowrap><img title='' "
        u"src='../comm/image/title/main_4.asp' width=14></td>"
        u"<td background=../comm/image/title/main_5.asp align=right>" +
        p_titleOther + u"</td></tr></table>";
  }
  return out + u"</td><td width=18><img title='' src='../comm/image/title/main_6.asp'></td></tr>";
}

vb::String QeShowMainLeft(vb::String) {
  return u"<tr><td width=12 background=../comm/image/title/main_7.asp></td>"
         u"<td valign=top align=middle background=../comm/image/title/main_8.asp width='100%'>"
         u"<table class=border cellspacing=0 cellpadding=1 width='100%' border=0><tr><td class=tdbg align=right>";
}

vb::String QeShowMainRight() {
  return u"</td></tr></table></td><td width=18 background=../comm/image/title/main_9.asp></td></tr>";
}

vb::String QeShowMainBottom() {
  return u"<tr height=22><td width=12><img title='' src='../comm/image/title/main_10.asp'></td>"
         u"<td background=../comm/image/title/main_11.asp>&nbsp;</td>"
         u"<td width=18><img title='' src='../comm/image/title/main_12.asp'></td></tr>";
}

vb::String QeShowMainSubBottom(vb::Variant& Rs, vb::Variant& Conn) {
  QeCloseData(Rs, Conn);
  return u"</table>";
}

vb::String QeShowSubTitle(vb::String p_Title) {
  return u"<tr><td background=../comm/image/div/div_2.asp colspan=3 ><img height=26 title='' "
         u"src='../comm/image/div/div_1.asp' width=26></td>"
         u"<td background=../comm/image/div/div_2.asp>" +
         p_Title +
         u"</td><td align=right background=../comm/image/div/div_2.asp colspan=3><img height=26 title='' "
         u"src='../comm/image/div/div_3.asp' width=85 useMap=#Map border=0></td></tr>"
         u"<map name=\"Map\"><area shape=\"RECT\" coords=\"59,4,80,23\" href=\"#\" onClick=\"window.close()\"></map>";
}

vb::String QeShowSubLeft() {
  return u"<tr><td style=\"background-image: URL(../comm/image/div/div_4.asp);background-position: left; "
         u"background-repeat: repeat-y;\" width=9></td><td background=../comm/image/div/div_5.asp colspan=5>";
}

vb::String QeShowSubRight() {
  return u"</td><td style=\"background-image: URL(../comm/image/div/div_6.asp);background-position:right; "
         u"background-repeat:repeat-y;\" width=10></td></tr>";
}

vb::String QeShowSubBottom() {
  return u"<tr><td valign=bottom align=left background=../comm/image/div/div_8.asp colspan=2><img height=23 "
         u"title='' src='../comm/image/div/div_7.asp' width=18></td>"
         u"<td background=../comm/image/div/div_8.asp colspan=3>&nbsp; </td>"
         u"<td valign=bottom align=right background=../comm/image/div/div_8.asp  colspan=2><img height=23 title='' "
         u"src='../comm/image/div/div_9.asp'  width=18></td></tr>"
         u"<tr><td width=9><img height=1 title='' src='../comm/image/spacer.asp' width=9></td>"
         u"<td width=9><img height=1 title='' src='../comm/image/spacer.asp' width=9></td>"
         u"<td width=8><img height=1 title='' src='../comm/image/spacer.asp' width=8></td>"
         u"<td width=500></td><td width=67></td>"
         u"<td width=8><img height=1 title='' src='../comm/image/spacer.asp' width=8></td>"
         u"<td width=10><img height=1 title='' src='../comm/image/spacer.asp' width=10></td></tr>";
}

vb::String QeShowWindowMini(vb::String p_Title, vb::String p_Content, vb::Variant p_Rs, vb::Variant p_Conn,
                            bool p_Simple, bool p_IsShowTitle) {
  if (!p_Simple)
    return QeShowMainSubTop() + QeShowSubTitle(p_Title) + QeShowSubLeft() + p_Content + QeShowSubRight() +
           QeShowSubBottom() + QeShowMainSubBottom(p_Rs, p_Conn);
  vb::String out;
  if (p_IsShowTitle)
    out +=
        u"<div style=\"float:left;width:100%;height:30px;text-align:center;font-size:20px;line-height: "
        u"30px;font-weight:bold;\">" +
        p_Title + u"</div>";
  QeCloseData(p_Rs, p_Conn);
  return out + p_Content;
}

vb::String QeShowWindowMain(vb::Variant& Request, vb::Variant& Rs, vb::Variant& Conn, vb::String p_ImageUrl,
                            vb::String p_Title, vb::String p_titleOther, int16_t p_LeftColSpan, vb::String p_Content1,
                            vb::String p_Content2, vb::String p_Content3, vb::String p_Content4, vb::String p_Content5,
                            int16_t p_ShowPageNumber, bool p_ShowRead, bool p_IsSimple, bool p_IsRefresh) {
  vb::String out = QeShowMainSubTop() + QeShowMainTitle(p_ImageUrl, p_Title, p_titleOther) +
                   QeShowMainLeft(DecimalText(p_LeftColSpan)) + p_Content1;
  // The pager reads the recordset, which the foot below closes.
  if (p_ShowPageNumber == 1 || p_ShowPageNumber == 3) out += KesraShowPage(Request, Rs, u"");
  out += p_Content2;
  if (p_ShowPageNumber == 2 || p_ShowPageNumber == 3) out += KesraShowPage(Request, Rs, u"");
  out += p_Content3 + p_Content4 + p_Content5;
  out += QeShowMainRight() + QeShowMainBottom() + QeShowMainSubBottom(Rs, Conn);
  if (p_ShowRead)
    out += p_IsSimple
               ? KesraShowDialogDivFrame(100, 100, p_IsRefresh, kPageDivDialog)
               : vb::CStr(QeShowDialogDivFrame(vb::Variant(int16_t{100}), vb::Variant(int16_t{100}),
                                               vb::Variant(p_IsRefresh), vb::Variant(vb::String(kPageDivDialog))));
  return out;
}

}  // namespace qe
