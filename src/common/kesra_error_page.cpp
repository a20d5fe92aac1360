#include "common/kesra_error_page.h"

#include "common/kesra_style.h"
#include "common/page_address.h"
#include "common/script_text.h"
#include "common/system_title.h"
#include "platform/com/object.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"

namespace qe {

vb::String KesraCloseWindowNoMessagebox() {
  return u"window.opener=null;"
         u"window.open(\"\",\"_self\");"
         u"window.close();"
         u"window.top.open(\"\",\"_top\").close();"
         u"parent.close();";
}

vb::String KesraCloseTopWindowNoMessagebox() {
  return u"top.window.opener=null;"
         u"top.window.open(\"\",\"_self\");"
         u"top.window.close();"
         u"window.top.open(\"\",\"_top\").close();";
}

vb::String KesraCloseWindowCurrent() {
  return u"<center>"
         u"<iframe "
         u" name=kesra_close_ModalDialog allowTransparency=true "
         u" scrolling=no frameborder='no' class=css0 width='100%' height='30' "
         u" src='../comm/comm_KesraCloseWindowCurrent.asp'>"
         u"</iframe>"
         u"</center>";
}

vb::String KesraCloseWindowModal(bool p_IsRefresh) {
  vb::String out = u"<head><base target=\"_self\"></head>";
  if (p_IsRefresh)
    out += u"<body onbeforeunload=\"if (!window.showModalDialog){opener.location.reload(true);}"
           u"else{dialogArguments.location.reload(true);}\">";
  return out;
}

namespace {

// The value of a double-quoted href attribute.
vb::String AttributeText(vb::StringView text) {
  vb::String out;
  for (char16_t c : text) {
    if (c == u'"') out += u"&quot;";
    else out.push_back(c);
  }
  return out;
}

// What the error page's buttons do: close the parent's dialog, close the
// window, or go back.
vb::String ButtonAction(bool close_button, bool p_CloseParent, const vb::String& p_DialogID) {
  if (!vb::Trim(p_DialogID).empty())
    return u" window.parent.document.getElementById('" + p_DialogID + u"').close();";
  if (p_CloseParent) return KesraCloseWindowNoMessagebox();
  return close_button ? u" history.back();" : u"history.back();";
}

// An image button that swaps to its hover picture under the mouse; its action
// is the value of a double-quoted href.
vb::String RolloverButton(vb::StringView name, vb::StringView hover_image, vb::StringView gap,
                          const vb::String& action, vb::StringView image) {
  return u"<a onmouseover=KesraSwapImage('" + vb::String(name) + u"','','../Comm/Image/" + vb::String(hover_image) +
         u"',1) onmouseout=KesraSwapImgRestore()" + vb::String(gap) + u" href=\"JavaScript:" + AttributeText(action) +
         u"\">" + vb::String(image) + u"</a>";
}

}  // namespace

void KesraShowErrorPage(vb::Variant& Response, vb::Variant& Rs, vb::Variant& Conn, vb::String p_ErrorMessage,
                        bool p_CloseParent, vb::String p_DialogID) {
  vb::String page = KesraScriptSwapImage();
  if (vb::Trim(p_DialogID).empty() && p_CloseParent) page += u"<head><base target=\"_self\"></head>";
  page += u"<title>" + SystemTitle() + u"</title>";
  page += u"<body bgcolor='#FFFFFF' leftmargin='0' topmargin='0' "
          u"onload=KesraPreloadImages('../Comm/Image/Kesra_Error_ButtonClose2.asp',"
          u"'../Comm/Image/Kesra_Error_ButtonReturn2.asp')>";
  page += u"<table height='100%' cellspacing=0 cellpadding=0 width='100%' border=0><tr><td height='60%'>";
  page += u"<table class=body cellspacing=0 cellpadding=0 width=400 align=center "
          u"background='../Comm/Image/Kesra_Error_TopBg.asp' border=0><tr>";
  page += u"<td width=10 height=23><img height=23 src='../Comm/Image/Kesra_Error_TopLeft.asp' width=24 "
          u"border=0></td>";
  page += u"<td width=348 height=23>&nbsp;<FONT face='Arial, Helvetica, sans-serif' color=#000000 "
          u"style='font-size:9pt;'>" +
          SystemTitle() + u"</FONT></td>";
  page += u"<td vAlign=baseline width=37 height=23 align=right>";
  page += RolloverButton(u"close", u"Kesra_Error_ButtonClose2.asp", u"",
                         ButtonAction(true, p_CloseParent, p_DialogID),
                         u"<img height=18 src='../Comm/Image/Kesra_Error_ButtonClose1.asp' width=15 border=0 name=close>");
  page += u"</td>";
  page += u"<td width=5 height=23><img height=23 src='../Comm/Image/Kesra_Error_TopRight.asp' width=5 border=0 "
          u"name=errr1_c4></td></tr></table>";
  page += u"<table class=body cellspacing=0 cellpadding=0 width=400 align=center border=0 height=100>"
          u"<tr vAlign=bottom><td background='../Comm/Image/Kesra_Error_Bg.asp' height=100>"
          u"<blockquote><div id=base><font style='font-size:9pt;'><br><br>出错原因："
          u"<ul><li>&nbsp;&nbsp;&nbsp;&nbsp;对不起，" +
          p_ErrorMessage + u"</ul><br><br></font></div></blockquote>";
  page += u"<P align=center>";
  page += RolloverButton(u"back", u"Kesra_Error_ButtonReturn2.asp", u" ", ButtonAction(false, p_CloseParent, p_DialogID),
                         u"<img height=20 src='../Comm/Image/Kesra_Error_ButtonReturn1.asp' width=73 border=0 name=back>");
  page += u"</td></tr>";
  page += u"<tr><td height=2><img height=5 src='../Comm/Image/Kesra_Error_Bottom.asp' width=400></td></tr>"
          u"</table></td></tr></table>";

  com::Call(Response, u"Write", page);
  QeCloseData(Rs, Conn);
  com::Call(Response, u"End");
}

void KesraShowErrorPageWithoutData(vb::Variant& Response, const vb::String& p_ErrorMessage, bool p_CloseParent,
                                   const vb::String& p_DialogID) {
  vb::Variant rs(u""), conn(u"");
  KesraShowErrorPage(Response, rs, conn, p_ErrorMessage, p_CloseParent, p_DialogID);
}

vb::String KesraShowSuccess(vb::String p_SuccessMessage, vb::String p_Url) {
  vb::String out = u"<Script>{";
  // The message and address go inside double-quoted script strings: escaped,
  // so that a quote or a line break cannot cut the script short.
  if (!vb::Trim(p_SuccessMessage).empty()) out += u"alert(\"" + ScriptStringEscape(p_SuccessMessage) + u"\");";
  if (p_Url.empty()) out += u"history.go(-1);";
  else if (vb::AsciiLowerCopy(p_Url) == u"close") out += KesraCloseWindowNoMessagebox();
  else out += u"location.href=\"" + PageAddressInScript(vb::Trim(p_Url)) + u"\";";
  out += u"}</Script>";
  return out;
}

}  // namespace qe
