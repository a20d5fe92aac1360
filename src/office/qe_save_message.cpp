#include "office/qe_save_message.h"

#include <string>
#include <vector>

#include "common/decimal_text.h"
#include "common/page_address.h"
#include "office/qe_user.h"
#include "page/kesra_show_page.h"
#include "page/kesra_show_title.h"
#include "page/kesra_show_tr.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

// A read-only row with the label and the literal value.
vb::String MessageRow(vb::Variant& Conn, vb::Variant& Rs, const vb::String& label, const vb::String& value) {
  return KesraShowTr(Conn, Rs, u"", 1, 265, 21, 1, label, u"", u"$" + value, 0, u"", 3, 1, u"", u"", u"", u"", 0, u"",
                     1);
}

}  // namespace

vb::String QeShowWindowLogin(vb::Variant& Response, vb::Variant& Session, vb::Variant& p_Rs, vb::Variant& p_Conn,
                             vb::String p_ID, uint8_t) {
  QeCloseData(p_Rs, p_Conn);
  com::Let(Session, u"", vb::Variant(vb::String()), vb::String(u"UserInfo"));
  com::Call(Session, u"Abandon");
  const vb::String login = u"/qe/main/login.asp";
  com::Call(Response, u"Redirect", vb::Trim(p_ID).empty() ? login : login + u"?id=" + p_ID);
  return u"";
}

vb::String QeShowSaveMessage(vb::Variant& Session, vb::Variant& Response, vb::Variant& Conn, vb::Variant& Rs,
                             int16_t p_AddOrEdit, int16_t p_ClassID, int16_t p_ID, vb::String p_Title,
                             vb::String p_AspFile, int16_t p_ShowType, vb::String p_Other,
                             int16_t p_CloseDialogByOverly) {
  vb::String out =
      u"<table width='100%' border='0' cellpadding='1' cellspacing='1' bgcolor='#666666'>"
      u"<tr class='tdbg'><td width='5%'><td width='5%'><td width='90%'></td></tr>"
      u"<tr class='tdbg'><td height=41 align='center' colspan=3>文章" +
      vb::String(p_AddOrEdit == 1 ? u"添加" : u"修改") + u"成功</td></tr>";
  if (p_ClassID > 0) out += MessageRow(Conn, Rs, u"所属栏目ID", DecimalText(p_ClassID));
  if (p_ShowType == 1) {
    out += MessageRow(Conn, Rs, u"文章标题", p_Title);
    const vb::Variant name = QeGetUserName(Response, Session);
    if (asp::ResponseEnded(Response)) return u"";
    out += MessageRow(Conn, Rs, u"作者", vb::CStr(name));
    const vb::Variant part = QeGetUserPart(Response, Session);
    if (asp::ResponseEnded(Response)) return u"";
    out += MessageRow(Conn, Rs, u"部门", vb::CStr(part));
  }
  if (!p_Other.empty())
    for (const vb::String& item : vb::SplitParts(p_Other, u"$")) {
      std::vector<vb::String> parts = vb::SplitParts(item + u"||", u"|");
      out += MessageRow(Conn, Rs, parts[0], parts[1]);
    }
  out += u"<tr class='tdbg' height=41><td align='center' valign='middle' colspan=3>"
         u"【<a href='" +
         PageAddressInAttribute(p_AspFile + u"_edit.asp?action=modify&classid=" + DecimalText(p_ClassID) + u"&id=" +
                                    DecimalText(p_ID),
                                AttributeQuote::kSingle) +
         u"'>重新编辑</a>】&nbsp;"
         u"【<a href='" +
         PageAddressInAttribute(p_AspFile + u"_edit.asp", AttributeQuote::kSingle) +
         u"'>继续添加</a>】&nbsp;"
         u"【<a href='" +
         PageAddressInAttribute(p_AspFile + u"_manager.asp", AttributeQuote::kSingle) + u"'>返回列表</a>】&nbsp;";
  if (p_ShowType == 1)
    out += KesraShowTitle(Rs, u"../comm/tymk_ArticleRead.asp?ReadType=" + p_AspFile + u"&Preview=Save", 80, 1024, 600,
                          u"【预览本文内容】", u"预览本文内容", p_CloseDialogByOverly, u"", u"");
  return out + KesraShowSearchRight(u"");
}

}  // namespace qe
