#include "page/kesra_show_form.h"

#include "common/kesra_error_page.h"
#include "common/kesra_file_text.h"
#include "common/kesra_number_text.h"
#include "common/markup_encode.h"
#include "common/page_address.h"
#include "common/script_text.h"
#include "common/system_title.h"
#include "platform/com/object.h"
#include "platform/sys/environ.h"
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/numbers.h"
#include "platform/vb/operators.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr int16_t kLoginWidth = 308, kLoginHeight = 400;
// The frame's title row and borders: what the content row does not get.
constexpr int kFrameChrome = 62;
constexpr vb::StringView kWelcomePage = u"../welcome/welcome.asp";
constexpr vb::StringView kCreditLine = u"<font style='color:gray; margin:0px 5px;'>";

vb::String Number(int value) { return vb::CStr(vb::Variant(static_cast<int32_t>(value))); }

// VB's "&" of one value: a Null as "".
vb::String TextOf(const vb::Variant& value) { return vb::CStr(vb::Concat(vb::Variant(), value)); }

vb::String Repeated(vb::StringView piece, int count) {
  vb::String out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

// The rounded-corner box of the credits is as tall as the adviser's lines.
vb::String CreditsStyle() {
  const vb::String adviser = AdviserCredit();
  const int lines = adviser.empty() ? 0 : static_cast<int>(vb::SplitParts(adviser, u"|").size());
  return u"<style type='text/css'>"
         u".b1,.b2,.b3,.b4,.b1b,.b2b,.b3b,.b4b,.b{display:block;overflow:hidden;}"
         u".b1,.b2,.b3,.b1b,.b2b,.b3b{height:1px;}"
         u".b2,.b3,.b4,.b2b,.b3b,.b4b,.b{border-left:1px solid #999;border-right:1px solid #999;}"
         u".b1,.b1b{margin:0 5px;background:#999;}"
         u".b2,.b2b{margin:0 3px;border-width:2px;}"
         u".b3,.b3b{margin:0 2px;}"
         u".b4,.b4b{height:2px;margin:0 1px;}"
         u".k {height:" + Number(15 * lines + 30) + u"px;}"
         u"</style>";
}

vb::String CreditsBox() {
  const vb::String lines = vb::String(kCreditLine) + ProgrammingCredit() + u"</font><br>" + vb::String(kCreditLine) +
                           vb::Replace(AdviserCredit(), u"|", u"<br>" + Repeated(u"&nbsp;", 11)) + u"</font><br>" +
                           vb::String(kCreditLine) + OwnerCredit() + u"</font>";
  return u"<tr height=80><td style='padding-left:110px;padding-right:10px;padding-top:-20px;' align=right>"
         u"<div style='width:140px;text-align:left;'>"
         u"<b class='b1'></b><b class='b2 d1'></b><b class='b3 d1'></b><b class='b4 d1'></b>"
         u"<div class='b d1 k'>" + lines + u"</div>"
         u"<b class='b4b d1'></b><b class='b3b d1'></b><b class='b2b d1'></b><b class='b1b'></b>"
         u"</div></td></tr>";
}

vb::String LoginHeading(const vb::String& heading_image) {
  const vb::String version = u"版本号：" + SystemVersion() + u"&nbsp;&nbsp;</td></tr>";
  if (!vb::Trim(heading_image).empty())
    return u"<tr height=100 style='background: url(" + PageAddressInStyle(heading_image, AttributeQuote::kSingle) +
           u");background-repeat:no-repeat;'><td align=right valign=top>" + version;
  return u"<tr height=20><td align=right valign=top>" + version +
         u"<tr height=80><td align=center valign=middle >"
         u"<div style='float:left;padding-left:10px;'><img src='../comm/image/kesra_lf.asp'></div>"
         u"<div style='float:right;width: 70%; height: 100%;vertical-align: middle;' class='dddfont1'>" +
         SystemName() + u"</div></td></tr>";
}

vb::String AboutCredits() {
  const vb::String adviser = AdviserCredit();
  vb::String out = adviser.empty() ? vb::String(u"<br>") : vb::String();
  out += ProgrammingCredit() + u"<br>";
  if (!adviser.empty()) out += vb::Replace(adviser, u"|", u"&nbsp;") + u"<br>";
  out += OwnerCredit() + u"<br>";
  out += u"技术支持：<a href='" + SupportSite() + u"' target='_blank'>" + SupportSite() + u"</a><br>";
  out += Repeated(u"&nbsp;", 10) + u"<a href='mailto:" + SupportMail() + u"'>" + SupportMail() + u"</a>";
  return out;
}

vb::String BarImage(const vb::String& percent) {
  return u"<img src='../comm/image/kesra_bar.asp' width='" + percent + u"%' height=10>";
}

vb::String BarRow(vb::StringView cell_opening, const vb::String& bar, const vb::Variant& size) {
  return u"<tr class='tdbg' height='22'>" + vb::String(cell_opening) + bar + KesraGetFileSize(vb::CStr(size)) +
         u"</td></tr>";
}

// The part of the quota that `size` takes, as a whole percentage of 80.
vb::String BarPercent(const vb::Variant& size, const vb::Variant& quota) {
  vb::Variant share = vb::Multiply(vb::Multiply(vb::Divide(size, quota), vb::Variant(static_cast<int16_t>(100))),
                                   vb::Variant(0.8));
  return TextOf(vb::Int(share));
}

}  // namespace

vb::String KesraShowForm(vb::Variant& /*Response*/, vb::Variant& /*Request*/, vb::Variant& /*Server*/,
                         int16_t p_Width, int16_t p_Height, vb::String p_Content, bool p_IsClose) {
  const vb::String target = p_IsClose ? u"javascript:" + KesraCloseWindowNoMessagebox() : vb::String(kWelcomePage);
  return u"<br><br><body leftmargin=0 topmargin=0>"
         u"<table align=center width='" + Number(p_Width) + u"' height='" + Number(p_Height) +
         u"' cellpadding=0 cellspacing=0 style='border:4px solid #7786DB;border-top:0px solid #7786DB;"
         u"background:#ECE9D8;'>"
         u"<tr height=28  style=\"padding-left:2px;background-image:url(../comm/image/kesra_form_title_bg.asp)\">"
         u"<td align=left valign=middle width=\"100%\" style='Font-Size:14px;color:#FFFFFF;vertical-align:middle;'>"
         u"<img src=\"../comm/image/tb.asp\" height=16 width=16 border=0 style='vertical-align:middle;'>&nbsp;" +
         SystemName() + u"</td>"
         u"<td align=right valign=middle width=\"20\"><a href=" + target +
         u"><img src=\"../comm/image/kesra_form_close.asp\" title=\"关闭\" border=0></a>&nbsp;</td></tr>"
         u"<tr height='" + Number(p_Height - kFrameChrome) + u"' valign=top><td align=center colspan=2>" + p_Content +
         u"</td></tr></table>";
}

vb::String KesraShowLogin(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::String p_Content,
                          bool p_ShowCredits, vb::String p_ShowTitle) {
  vb::String body = p_ShowCredits ? CreditsStyle() : vb::String();
  body += u"<table width='100%' cellspacing=0 padding=0>";
  body += LoginHeading(p_ShowTitle);
  if (p_ShowCredits) body += CreditsBox();
  body += u"<tr height=30><td></td></tr><tr height=160 valign=top><td align=center>" + p_Content +
          u"</td></tr></table>";
  return KesraShowForm(Response, Request, Server, kLoginWidth, kLoginHeight, body, true);
}

vb::String KesraShowAbout(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::String /*p_Content*/,
                          vb::String p_ShowTitle) {
  // Only what the operator named for this box: never the host's own names.
  const vb::String computer = HtmlEncodeText(sys::Environ(u"computername"));
  const vb::String account = HtmlEncodeText(sys::Environ(u"username"));
  const vb::String body =
      u"<table border=0 width='100%' cellspacing=0 cellpadding=0 height=240 valign=bottom>"
      u"<tr><td colspan=2 align=left style='padding-left:33px;line-height:16px;' height=160>" +
      AboutCredits() +
      u"</td></tr><tr><td colspan=2 align=center><hr width='90%'></td></tr><tr valign=top align=left>"
      u"<td width='70%' style='padding-left:25px;line-height:16px;'>本产品使用权属于：<br>&nbsp;" +
      computer + u"<br>&nbsp;" + account +
      u"</td><td width='30%'><br>"
      u"<input type=\"button\" class='button_image' style='margin-bottom:1px;'value=\"系统信息\" "
      u"onclick='(new ActiveXObject(\"wscript.shell\")).run(\"winmsd.exe\");'><br>"
      u"<input type=\"button\" class='button_image' style='margin-top:1px;' value=\"  确定  \" "
      u"onclick=\"location.href='" + vb::String(kWelcomePage) + u"'\"></td></tr>"
      u"<tr><td valign=top align=center height=16></td></tr></table>";
  return KesraShowLogin(Response, Request, Server, body, false, p_ShowTitle);
}

vb::String KesraShowFormFileSelect(vb::Variant& /*Response*/, vb::Variant& /*Request*/, vb::Variant& Server,
                                   vb::String p_SearchPath, int16_t p_SearchType) {
  const vb::String folder = vb::InStr(p_SearchPath, u":") == 0
                                ? vb::CStr(com::ValueOf(com::Call(Server, u"MapPath", p_SearchPath)))
                                : p_SearchPath;
  vb::String heading = p_SearchPath;
  for (vb::StringView removed : {u"..", u"\\", u"/"}) heading = vb::Replace(heading, removed, u"");
  vb::String out = u"&nbsp;<img src='../comm/image/kesra_folder_open.asp' border=0 align=absmiddle>" + heading +
                   u"<br>";
  for (const auto& name : vb::SplitParts(KesraSearchPathFile(folder, p_SearchType), u"|")) {
    // A name from the disk: a script string inside an unquoted attribute,
    // and text of the link.
    out += u"<a style='padding-left:20px;cursor:hand;' onclick=javascript:SelectPathFile('" +
           HtmlEncodeUnquoted(ScriptStringEscape(name)) +
           u"');><img src='../comm/image/kesra_folder_close.asp' border=0 align=absmiddle>" + HtmlEncodeText(name) +
           u"</a><br>";
  }
  return out;
}

vb::String KesraShowColorLine(int16_t p_Width, int16_t p_Height, vb::String p_Color) {
  return u"<table cellspacing=0 cellpadding=0 width=" + Number(p_Width) + u" border=0><tr><td nowrap bgcolor=" +
         p_Color + u" height=" + Number(p_Height) + u"></td></tr></table>";
}

vb::String KesraShowEmptyLine(int16_t p_Height, vb::String p_BgColor) {
  const vb::String colour = p_BgColor.empty() ? vb::String() : u" bgcolor='" + p_BgColor + u"'";
  return u"<table cellspacing=0 cellpadding=0 border=0 width='100%'" + colour + u"><tr height=" + Number(p_Height) +
         u"><td></td></tr></table>";
}

vb::String KesraShowNoRecord(vb::Variant& p_ColspanNumber, bool p_IsExcel, vb::Variant p_NoRecordMessage) {
  return u"<tr " + (p_IsExcel ? vb::String() : vb::String(u" Class=tdbg")) + u"><td ColSpan=" +
         TextOf(p_ColspanNumber) + u" Height=30 Align=Center><Font Color=Red>" + TextOf(p_NoRecordMessage) +
         u"</Font></td></tr>";
}

vb::String KesraShowSpace(int16_t p_SpaceNumber) { return Repeated(u"&nbsp;", p_SpaceNumber); }

vb::String KesraShowMessage(vb::String p_Title, vb::String p_Content, vb::String p_Url) {
  return u"<table border='0' width='100%' cellspacing='1' align='center' cellpadding='1' height='100%'>"
         u"<tr><td align=center valign=middle height='100%' width='100%'>"
         u"<table border='1' width='100%' cellspacing='0' cellpadding='0' bordercolor='green' "
         u"bordercolordark='#FFFFFF' height='100%'>"
         u"<tr><td width='100%' height='39' bgcolor='#39867B' align=center colspan='2'>"
         u"<font color='#FFFFFF'>" + p_Title + u"</font></td></tr>"
         u"<tr><td width='100%' align='center' height='100%'>" + p_Content + u"<br><br>" + p_Url +
         u"</td></tr></table></td></tr></table>";
}

vb::String KesraShowBar(vb::Variant& p_SizeMax, vb::Variant& p_SizeCurrent) {
  if (p_SizeCurrent.IsNull() || p_SizeCurrent.IsEmpty() ||
      (p_SizeCurrent.IsString() && p_SizeCurrent.As<vb::String>().empty()))
    p_SizeCurrent = vb::Variant(static_cast<int16_t>(0));
  const vb::String full_bar = BarImage(u"80");
  vb::String used_bar = full_bar, remaining_bar = BarImage(u"0");
  const auto quota_sign = vb::Compare(p_SizeMax, vb::Variant(static_cast<int16_t>(0)));
  const vb::Variant remaining = vb::Subtract(p_SizeMax, p_SizeCurrent);
  if (!(quota_sign && *quota_sign <= 0)) {
    used_bar = BarImage(BarPercent(p_SizeCurrent, p_SizeMax));
    remaining_bar = BarImage(BarPercent(remaining, p_SizeMax));
  }
  return u"<table width='100%' border='0' align='center' cellpadding='2' cellspacing='0' class='border'>"
         u"<tr class='titlebg'><td height='22' colspan=2 align=center><strong>我的上传文件管理</strong></td></tr>" +
         BarRow(u"<td  align='left'>总空间：", full_bar, p_SizeMax) +
         BarRow(u"<td align='left'>已使用：", used_bar, p_SizeCurrent) +
         BarRow(u"<td align='left'>尚剩余：", remaining_bar, remaining) + u"</table>";
}

void KesraClearCache(vb::Variant& Response) {
  com::Let(Response, u"Expires", vb::Variant(static_cast<int32_t>(-1)));
  com::Let(Response, u"ExpiresAbsolute", vb::Subtract(vb::Variant(vb::Now()), vb::Variant(static_cast<int16_t>(1))));
  com::Let(Response, u"CacheControl", vb::String(u"no-cache"));
}

}  // namespace qe
