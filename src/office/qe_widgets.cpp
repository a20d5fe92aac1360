#include "office/qe_widgets.h"

#include <string>
#include <vector>

#include "common/decimal_text.h"
#include "common/kesra_dates.h"
#include "common/kesra_request_modes.h"
#include "common/markup_encode.h"
#include "common/page_address.h"
#include "common/record_values.h"
#include "common/request_values.h"
#include "office/qe_rights.h"
#include "page/kesra_show_page.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"
#include "transfer/kesra_file_download.h"

namespace qe {
namespace {

constexpr int32_t kOpenKeyset = 1, kLockReadOnly = 1;

bool Blank(const vb::String& text) { return vb::Trim(text).empty(); }

// The footer's close action: the dialog that holds this page is closed (a
// dialog element, or the parent's div dialog), the parent's first dialog
// element when the page is in neither, and the parent reloads. It carries
// everything it needs: the page in the frame may hold no dialog script.
constexpr char16_t kCloseHoldingDialog[] =
    u"(function(){var w=window.parent,f=window.frameElement,d=null;"
    u"try{d=f&&f.closest?f.closest('dialog'):null;"
    u"if(d){d.close();}"
    u"else if(f&&f.closest&&f.closest('.div-dialog')&&w.divCloseDialog){w.divCloseDialog();}"
    u"else{w.document.getElementById(w.document.getElementsByTagName('dialog')[0].id).close();}"
    u"}catch(e){}"
    u"w.location.reload(true);})()";

}  // namespace

vb::String QeShowPartSelect(vb::Variant& Conn, vb::String p_PartName) {
  const vb::String wanted = vb::Trim(p_PartName);
  vb::Variant rs(com::CreateObject(u"Adodb.RecordSet"));
  ClosedAtEnd closed(rs);
  com::Call(rs, u"Open", vb::String(u"Select Part From [Part] Order By Sortid"), Conn, kOpenKeyset, kLockReadOnly);
  vb::String out = u"<Select Name=\"Part\">";
  if (vb::CBool(com::Call(rs, u"BOF")) && vb::CBool(com::Call(rs, u"EOF"))) {
    out += u"<Font Color=\"red\">还没有任何内容</Font>";
  } else {
    out += u"<Option Value=\"\">--=部门选择=--</Option>";
    while (!vb::CBool(com::Call(rs, u"BOF")) && !vb::CBool(com::Call(rs, u"EOF"))) {
      const vb::String part = RecordText(rs, u"Part");
      out += u"<Option Value='" + HtmlEncodeText(part) + u"'" + (part == wanted ? u" Selected " : u"") + u"> " + part +
             u" </Option>";
      com::Call(rs, u"MoveNext");
    }
  }
  return out + u"</Select>";
}

vb::String QeShowSearchButton() {
  return u"&nbsp;&nbsp;<a href='JavaScript:document.sele.submit();' onMouseOut='KesraSwapImgRestore()' "
         u"onMouseOver=KesraSwapImage('image_search','','../comm/image/button/button_search_on.asp',1)><Img "
         u"Name='image_search' border='0' Src='../comm/image/button/button_search_off.asp' Align='middle'></A>";
}

vb::String QeShowAnyBar(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs, vb::String p_Url,
                        vb::String p_UserAllow, vb::String p_BarType, int16_t p_PopWidth, int16_t p_PopHeight,
                        vb::String p_DialogTitle, vb::String p_Icon, int16_t p_CloseDialogByOverly,
                        vb::String p_DialogID) {
  if (Blank(p_DialogID)) p_DialogID = u"Dialog";
  if (p_UserAllow != u"anyone" && !QeCheckManagerRight(Response, Session, Rs, p_UserAllow)) return u"";
  vb::String out = u"&nbsp;&nbsp;<a href=\"";
  if (p_PopWidth != 0 || p_PopHeight != 0)
    out += u"javascript:void(0);\" onClick=\"ShowPopDialog('" + p_DialogID + u"'," + DecimalText(p_PopWidth) + u"," +
           DecimalText(p_PopHeight) + u",'" + p_DialogTitle + u"','" +
           PageAddressInAttributeScript(p_Url, AttributeQuote::kDouble) + u"'," + DecimalText(p_CloseDialogByOverly) +
           u");\"";
  else
    out += PageAddressInAttribute(p_Url, AttributeQuote::kDouble) + u"\"";
  if (p_Icon.empty())
    out += u" onMouseOut=KesraSwapImgRestore() onMouseOver=KesraSwapImage('image_" + p_BarType +
           u"','','../comm/image/button/button_" + p_BarType + u"_on.asp',1)";
  out += u">";
  out += p_Icon.empty() ? u"<img name='image_" + p_BarType + u"' border='0' Src='../comm/image/button/button_" +
                              p_BarType + u"_off.asp' align='middle'>"
                        : p_Icon;
  return out + u"</a>";
}

vb::String QeShowSearchBar(vb::Variant& Conn, vb::Variant& Request, vb::String p_Part, int16_t p_SelectType,
                           vb::String p_SelectList, vb::String p_OtherBefore, vb::String p_OtherAfter) {
  vb::String out = KesraShowSearchLeft(u"form", u"", u"searchbg") + p_OtherBefore;
  const bool departments = p_Part != u"Null", columns = !Blank(p_SelectList);
  if (departments) out += QeShowPartSelect(Conn, p_Part);
  if (columns) out += KesraShowSelect(Request, p_SelectType, p_SelectList);
  if (departments || columns) out += QeShowSearchButton();
  return out + p_OtherAfter + KesraShowSearchRight(u"form");
}

vb::String QeShowArticleUser(vb::Variant& Rs, bool p_QeCheckEdit, vb::String p_ID, vb::String p_TableName,
                             vb::String p_FieldName, bool p_ShowAll, int16_t p_PopWidth, int16_t p_PopHeight,
                             int16_t p_DialogCloseByOverly, int16_t p_InputWidth) {
  vb::String out = u"<input name=\"" + p_FieldName + u"\" type=\"text\" readonly=\"readonly\" id=\"" + p_FieldName +
                   u"\" class=\"inputtext\" style=\"width:" + DecimalText(p_InputWidth) + u";\" ";
  out += u" onclick=\"divOpenDialog('divDialogUserList'," + DecimalText(p_PopWidth) + u"," + DecimalText(p_PopHeight) +
         u", '用户列表选择', '../comm/tymk_usershow.asp?mode=list_open&tablename=" + p_TableName + u"&objectid=" +
         p_FieldName;
  if (p_QeCheckEdit) out += u"&id=" + p_ID;
  out += u"&userlist='+this.value," + DecimalText(p_DialogCloseByOverly);
  if (p_QeCheckEdit) {
    const vb::String stored = HtmlEncodeText(RecordText(Rs, p_FieldName));
    out += u")\" value=\"" + stored + u"\"  title=\"原下发对象：\r\n" + stored + u"\">";
  } else {
    out += u")\">";
  }
  if (p_ShowAll) {
    out += u"&nbsp;&nbsp;全体通知<input type=\"checkbox\" name=\"AllowAll\" value=\"广播\" id=\"allowall\" ";
    if (!p_QeCheckEdit) {
      out += u" checked";
    } else {
      const vb::Variant all = com::ValueOf(RecordValue(Rs, u"AllowAll"));
      if (!all.IsNull() && !all.IsEmpty() && vb::CDbl(all) == -1.0) out += u" checked ";
    }
    out += u">";
  }
  return out;
}

vb::String QeShowArticleDate(vb::Variant& Rs, bool p_QeCheckEdit, vb::String p_FieldName) {
  const vb::String value =
      p_QeCheckEdit ? HtmlEncodeText(RecordText(Rs, p_FieldName)) : KesraPutDate(KesraGetDate(kDateStampNow));
  return u"<Input Name=\"" + p_FieldName + u"\" Type=\"Text\" Readonly=\"Readonly\" id=\"" + p_FieldName +
         u"\"  Class=\"Inputtext\" Style=\"Width:265;\" onclick=\"OpenWindowModalDate(document.myform." + p_FieldName +
         u")\"  value=\"" + value + u"\">";
}

vb::String QeShowArticleSavePreview(int16_t p_ColSpan, vb::String p_TableName, int16_t p_CloseDialogByOverly,
                                    vb::String) {
  return u"<tr class='tdbg'><td colspan=" + DecimalText(p_ColSpan) +
         u" height=50 valign=middle align=center>"
         u"<input class=\"button_image\" name=\"add\" type=\"submit\"  id=\"add\" value=\"-=保存=-\"  onClick=\" "
         u"document.myform.action='" +
         PageAddressInAttributeScript(p_TableName + u"_save.asp", AttributeQuote::kDouble) +
         u"'; document.myform.target='_self'; \">&nbsp;"
         u"<input class=\"button_image\" name=\"preview\" type=\"button\"  id=\"preview\" value=\"-=预览=-\"  "
         u"onClick=\" ShowPopDialog('divDialogUserList', 1024, 600, '预览', "
         u"'../comm/tymk_ArticleRead.asp?Preview=Editor'," +
         DecimalText(p_CloseDialogByOverly) +
         u"); \">&nbsp;"
         u"<input class=\"button_image\" name=\"cancel\" type=\"button\" id=\"cancel\" value=\"-=返回=-\" "
         u"onClick=\"window.location.href='" +
         PageAddressInAttributeScript(p_TableName + u"_manager.asp", AttributeQuote::kDouble) + u"'\" >" +
         KesraShowSearchRight(u"form");
}

vb::String QeArticleBodyRelative(vb::Variant& Request) {
  const vb::String referer = ServerVariableText(Request, u"http_referer");
  const size_t slash = referer.rfind(u'/');
  const vb::String base = slash == vb::String::npos ? vb::String() : vb::LCase(referer.substr(0, slash + 1));
  vb::String body = vb::Trim(RequestText(Request, u"Content"));
  if (base.empty()) return body;
  return vb::Replace(body, base, u"");
}

vb::String QeShowArticleContentString(vb::Variant& Request, vb::Variant& Server, vb::String p_TableName) {
  return KesraGetRemotefileUrl(Server, QeArticleBodyRelative(Request), u"/Data_UpLoadFiles/" + p_TableName + u"/");
}

vb::String QeShowSaveResetClose(vb::Variant& Request, vb::Variant& Conn, vb::Variant& Rs, int16_t& p_ColSpan,
                                bool& p_CloseData, int16_t& p_RequestID, vb::String& p_DialogID,
                                vb::String& p_ButtonNameList) {
  if (Blank(p_DialogID)) p_DialogID = u"Dialog";
  std::vector<vb::String> names = vb::SplitParts(p_ButtonNameList + u"||", u"|");
  vb::String out =
      u"<tr class='tdbg' height=40><td align='center' valign='middle' colspan='" + DecimalText(p_ColSpan) + u"'>";
  const bool rs_null = Rs.IsNull();
  if (!KesraCheckRead(Request)) {
    if (KesraCheckEdit(Request, true) && p_RequestID >= 0 && (rs_null || p_RequestID != 0))
      out += u"<input name='id' type='hidden' value='" + DecimalText(p_RequestID) + u"'>";
    const vb::String defaults[3] = {u"保 存", u"清 除", u"关 闭"};
    for (int i = 0; i < 3; ++i)
      if (Blank(names[i])) names[i] = defaults[i];
    if (vb::UCase(names[0]) != u"NULL")
      out += u"<input type='submit' value='" + names[0] + u"' class='button_image'>&nbsp;&nbsp;";
    if (vb::UCase(names[1]) != u"NULL")
      out += u"<input type='reset' value='" + names[1] + u"' class='button_image'>&nbsp;&nbsp;";
    if (vb::UCase(names[2]) != u"NULL")
      out += u"<input type='button'  value='" + names[2] + u"' class='button_image' onclick=\"" +
             (vb::UCase(p_DialogID) == u"NULL" ? vb::String(u"window.close()") : vb::String(kCloseHoldingDialog)) +
             u";\">";
  }
  out += KesraShowSearchRight(u"form");
  if (p_CloseData && KesraCheckEdit(Request, true) && !rs_null && !Conn.IsNull()) QeCloseData(Rs, Conn);
  return out;
}

}  // namespace qe
