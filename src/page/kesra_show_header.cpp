#include "page/kesra_show_header.h"

#include "common/kesra_error_page.h"
#include "common/leading_number.h"
#include "common/page_address.h"
#include "common/system_title.h"
#include "page/kesra_script_window.h"
#include "page/kesra_show_form.h"
#include "page/kesra_show_page.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr int16_t kSwitchedOn = 1;
constexpr vb::StringView kPrintLink =
    u"&nbsp;&nbsp;<a href='javascript:window.print()'><img src='../comm/image/kesra_printer.asp' width='16' "
    u"height='14' border='0' title='打印本页'></a>";
constexpr vb::StringView kExcelColour = u"#b5f9de";
// Closes the parent page's open dialog, the last one first, and nothing else.
constexpr vb::StringView kCloseDialogScript =
    u"var d=parent.document.getElementsByClassName(\"dialog\");"
    u"for(var i=d.length-1;i>=0;i--){if(d[i].open){d[i].close();break;}}return false;";

vb::String Number(int value) { return vb::CStr(vb::Variant(static_cast<int32_t>(value))); }

vb::String BarLeft(const vb::String& width) { return KesraShowSearchLeft(u"", width, u"searchbg"); }
vb::String BarRight() { return KesraShowSearchRight(u""); }

bool Contains(const vb::String& text, vb::StringView word) { return vb::InStr(text, word) > 0; }

// A width, colspan or rowspan counts by its leading number, rounded.
double CountOf(const vb::String& field) { return vb::RoundHalfEven(LeadingNumber(field)); }

// The title bar's close link around the close image.
vb::String CloseLink(vb::StringView opening, vb::StringView image_class) {
  return u"&nbsp;&nbsp;" + vb::String(opening) + u"' title='关闭'><img src='../comm/image/kesra_close.asp' border=0 "
         u"title='关闭'" + vb::String(image_class) + u"></a>";
}

vb::String TitleBarOpening(const vb::String& title) {
  return u"<table cellspacing=0 cellpadding=0 width='90%' border=0 align=center height='30'><tr>"
         u"<td nowrap class=toptitle align=center width='90%'>" + title;
}

vb::String TitleBarClosing(const vb::String& other) { return u"</td><td width='10%'>" + other + BarRight(); }

vb::String LabelledBox(const vb::String& width, const vb::String& title, const vb::String& label) {
  vb::String out = BarLeft(width);
  if (!label.empty()) out += u"【" + label + u"】&nbsp;&nbsp;";
  return out + title + BarRight();
}

}  // namespace

vb::String KesraShowTitleTop(vb::String p_Dwmc, vb::String p_Title, vb::String p_ExcelUrl, int16_t p_ExcelAllow,
                             int16_t p_PrintAllow, vb::String p_Width, vb::String p_OtherUrl) {
  vb::String out = KesraShowEmptyLine(5, u"");
  out += u"<table cellspacing=0 cellpadding=0 border=0 width='" + p_Width + u"' align=center>";
  out += u"<tr><td align=center width='100%'><font class=dddfont5>〖" + p_Dwmc + u"〗" + SystemName() +
         u"</font></td></tr>";
  out += u"<tr><td align=right width='100%'>" + p_OtherUrl;
  if (p_ExcelAllow == kSwitchedOn)
    out += u"<a href=\"" + PageAddressInAttribute(p_ExcelUrl, AttributeQuote::kDouble) +
           u"\" onclick='return openwindow_resizable(this.href,800,600);'><img src='../comm/image/kesra_excel.asp' "
           u"border=0  title='导出至excel'></a>";
  if (p_PrintAllow == kSwitchedOn) out += kPrintLink;
  out += u"&nbsp;&nbsp;<a href=# onclick=\"if(confirm('真的要退出【" + SystemTitle() +
         u"】吗？')==false) {return false;}else{document.location.href='../comm/logout.asp';}\">"
         u"<img src='../comm/image/kesra_quit.asp' border='0' title='安全退出'></a></td></tr>";
  out += u"<tr><td align=center width='100%'><font class=dddfont1>" + p_Title + u"</font>" + BarRight();
  return out + KesraShowEmptyLine(16, u"");
}

vb::String KesraShowHeader(vb::String p_TitleName, vb::String p_ExcelUrl, int16_t p_ExcelAllow, int16_t p_PrintAllow,
                           int16_t p_TableWidth, vb::String p_OtherUrl) {
  vb::String out = u"<table cellspacing=0 cellpadding=0 border=0 width='" + Number(p_TableWidth) +
                   u"' align=center><tr><td align=center width='90%'>";
  out += u"<br><font class=dddfont5>〖" + OrganisationName() + u"〗Qe</font>";
  out += u"<br><br><font class=dddfont1>" + p_TitleName + u"</font></td><td width='10%'>" + p_OtherUrl;
  if (p_ExcelAllow == kSwitchedOn)
    out += u"<a href=\"" + PageAddressInAttribute(p_ExcelUrl, AttributeQuote::kDouble) +
           u"\" onclick='return OpenWindowResize(this.href,800,600);'><img src='../kesra/image/kesra_excel.asp' "
           u"border=0  title='导出至excel'></a>";
  if (p_PrintAllow == kSwitchedOn)
    out += u"&nbsp;&nbsp;<a href='javascript:window.print()'><img src='../kesra/image/kesra_printer.asp' width='16' "
           u"height='14' border='0' title='打印本页'></a>";
  out += u"&nbsp;&nbsp;<a href=# onclick=\"if(confirm('真的要退出【Qe】吗？')==false) {return false;}"
         u"else{document.location.href='../kesra/kesra_logout.asp';}\"><img src='../kesra/image/kesra_quit.asp' "
         u"border='0' title='安全退出'></a>";
  return out + BarRight() + KesraShowEmptyLine(16, u"");
}

vb::String KesraShowTitleHeader(vb::String p_Title, vb::String p_TitleAdd, vb::String p_titleOther) {
  vb::String out = TitleBarOpening(p_Title);
  if (Contains(p_TitleAdd, u"closeDialog"))
    out += CloseLink(u"<a href='javascript:void(0);' onclick='" + vb::String(kCloseDialogScript), u" class=no-print");
  else if (Contains(p_TitleAdd, u"close"))
    out += CloseLink(u"<a href=# onclick='" + KesraCloseWindowNoMessagebox(), u" class=no-print");
  if (Contains(p_TitleAdd, u"print"))
    out += u"&nbsp;&nbsp;<a href='javascript:window.print()'><img src='../comm/image/kesra_printer.asp' width='16' "
           u"height='14' border='0' title='打印本页' class=no-print></a>";
  return out + TitleBarClosing(p_titleOther);
}

vb::String KesraShowHeader2(vb::String p_Title, vb::String p_TitleAdd, vb::String p_titleOther) {
  vb::String out = TitleBarOpening(p_Title);
  if (Contains(p_TitleAdd, u"close")) out += CloseLink(u"<a href=# onclick='" + KesraCloseWindowNoMessagebox(), u"");
  if (Contains(p_TitleAdd, u"print")) out += kPrintLink;
  return out + TitleBarClosing(p_titleOther);
}

vb::String KesraShowTitleSingle(vb::String p_Width, vb::String p_Title, vb::String p_Content) {
  return LabelledBox(p_Width, p_Title, p_Content);
}

vb::String KesraShowHeader1(vb::String p_Width, vb::String p_Title, vb::String p_Content) {
  return LabelledBox(p_Width, p_Title, p_Content);
}

vb::String KesraShowBox(vb::String p_Title, vb::String p_Content, vb::String p_TitleBackColor,
                        vb::String p_TitleForeColor, vb::String p_ContentBackColor, vb::String p_ContentForeColor,
                        vb::String p_TitleAlign, vb::String p_BottomImage) {
  return u"<table cellspacing=5 cellpadding=0 width='95%' bgColor=#ffffff border=0 style='word-break: break-all;'>"
         u"<tr><td bgcolor='" + p_TitleBackColor + u"' height=22><div align=" + p_TitleAlign +
         u"><span><span><strong><font color='" + p_TitleForeColor + u"'>" + p_Title +
         u"</font></strong></span></span></div></td></tr>"
         u"<tr><td valign=top bgcolor='" + p_ContentBackColor + u"'><div align=left><font color='" +
         p_ContentForeColor + u"'>" + p_Content + u"</font></div></td></tr></table>"
         u"<table cellspacing=0 cellpadding=0 width='99%' border=0><tr><td><img height=8 src='" +
         PageAddressInAttribute(p_BottomImage, AttributeQuote::kSingle) +
         u"' width=105></td></tr></table>"
         u"<table cellspacing=0 cellpadding=0 width='100%' border=0><tr><td>&nbsp;</td></tr></table>";
}

vb::String KesraShowTableDouble(vb::String p_TableWidth, vb::String p_BgColor, vb::String p_BorderColor,
                                bool p_IsDouble, bool p_IsTableFix) {
  const vb::String width = vb::Trim(p_TableWidth).empty() ? vb::String(u"100%") : p_TableWidth;
  vb::String out;
  // The outer cell takes the caller's colour as given, an empty one too.
  if (p_IsDouble)
    out += u"<table cellspacing='0' cellpadding='3' bordercolor='#3366cc' border='2' align=center  "
           u"style='background-color:white;border-color:#3366cc;border-width:1px;border-style:none;width:" +
           width + u";border-collapse:collapse;'><tr><td bgcolor='" + p_BgColor + u"'>";
  const vb::String border = p_BorderColor.empty() ? vb::String(u"#C0C0C0") : p_BorderColor;
  out += u"<table width='100%' border='1' cellpadding='0' cellspacing='0' height='40' style='border-collapse: "
         u"collapse' bordercolor='" + border + u"' bgcolor='#ffffff' style='" +
         (p_IsTableFix ? vb::String(u"table-layout: fixed;") : vb::String()) + u"word-break:break-all'>";
  return out;
}

vb::String KesraShowTableHeader(vb::String p_TableHeaderList, int16_t p_Height, vb::String p_Class) {
  const vb::String list = vb::Trim(p_TableHeaderList);
  if (list.empty()) return {};
  vb::String out = u"<tr align='center' ";
  if (p_Height > 0) out += u" height=" + Number(p_Height);
  if (!vb::Trim(p_Class).empty()) out += u" " + p_Class + u" ";
  out += u" >";
  for (const auto& item : vb::SplitParts(list, u"$")) {
    std::vector<vb::String> fields = vb::SplitParts(item + u"|1|1|", u"|");
    if (fields.size() < 5) vb::Raise(vb::kSubscriptOutOfRange);
    const vb::String &caption = fields[0], &width = fields[1], &colspan = fields[2], &rowspan = fields[3],
                     &background = fields[4];
    out += u"<td align='center' ";
    if (width == u"*" || CountOf(width) >= 2) out += u" Width='" + width + u"'";
    if (CountOf(colspan) > 1) out += u" ColSpan='" + colspan + u"'";
    if (CountOf(rowspan) > 1) out += u" RowSpan='" + rowspan + u"'";
    if (vb::Trim(background).size() > 1)
      out += u" bgcolor=" + vb::Replace(background, u"excel", kExcelColour, 1, -1, vb::vbTextCompare);
    out += u">" + caption + u"</td>";
  }
  return out + u"</tr>";
}

vb::String KesraShowTableHeaderEmpty(vb::String p_TableHeaderList) {
  vb::String out = u"<tr class=tdbg height=0>";
  for (const auto& width : vb::SplitParts(p_TableHeaderList, u"|")) out += u"<td width='" + width + u"'></td>";
  return out + u"</tr>";
}

vb::String KesraShowMenuMoveContent(int16_t p_Width, int16_t p_TitleHeight, vb::String p_Title, uint8_t p_Scroll1,
                                    uint8_t p_Scroll2, vb::String p_Content, vb::String p_Visible, bool p_CanMove,
                                    bool p_CanExpand) {
  vb::String out;
  if (p_CanMove) {
    if (p_Scroll1 == 1) out += u"<div id=\"scroll1\"></div>";
    if (p_Scroll2 == 1) out += u"<div id=\"scroll2\"></div>";
  }
  if (p_CanExpand) out += KesraScriptListMenu();
  if (p_CanMove) out += KesraScriptListMenuMove();
  out += KesraScriptFloaterToggle(p_CanMove, p_CanExpand);
  // Only the exact word moves a hidden window off the screen.
  const vb::String offset = p_Visible == u"hidden" ? u"-1000" : u"0";
  const vb::String width = Number(p_Width);
  out += u"<div id=\"floater\" style=\"position:absolute; width:" + width + u"px; z-index:1; left:" + offset +
         u"px; top: " + offset + u"px; visibility: " + p_Visible + u"\">";
  out += u"<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" align=\"center\">"
         u"<tr bgcolor=\"#000066\"><td height=18 align=center>";
  out += u"<table width=\"100%\" border=\"1\" height=\"" + Number(p_TitleHeight) +
         u"\" cellpadding=\"0\" cellspacing=\"0\" style=\"border-collapse: collapse;cursor:move\" "
         u"bordercolor=\"#111111\" align=center><tr><td bgcolor=\"#9CDB73\" align=center>"
         u"<img src=\"../comm/image/kesra_ts.asp\" align=absmiddle> " + p_Title +
         u"<a href=\"javascript:closeLoginForm()\"><img src=\"../comm/image/kesra_close.asp\" height=12 width=12 "
         u"border=0 align=absmiddle title=\"关闭窗口\"></a></td></tr></table>";
  out += u"<table bgcolor=#B5E4FB border=\"1\" cellpadding=\"0\" cellspacing=\"0\" style=\"border-collapse: collapse\" "
         u"bordercolor=\"#111111\" width=\"" + width + u"\" align=\"center\">" + p_Content + u"</table>";
  return out + u"</td></tr></table></div>";
}

vb::String KesraShowHiddenInput(vb::String p_InputName, vb::String p_InputValue) {
  return u"<input type='hidden'  name='" + p_InputName + u"' id='" + p_InputName + u"' value='" + p_InputValue +
         u"'>";
}

}  // namespace qe
