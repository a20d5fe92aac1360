#include "office/qe_guards.h"

#include <array>
#include <cmath>

#include "common/kesra_class_md5.h"
#include "common/kesra_error_page.h"
#include "common/kesra_id_checks.h"
#include "common/kesra_request_checks.h"
#include "common/leading_number.h"
#include "common/markup_encode.h"
#include "common/record_values.h"
#include "common/request_values.h"
#include "common/sql_literal.h"
#include "office/qe_rights.h"
#include "office/qe_user.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/numbers.h"
#include "platform/vb/operators.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

constexpr int32_t kOpenKeyset = 1, kLockReadOnly = 1;

// Pages open to visitors who are not logged in: the home page, the login
// pages and self-registration. Matched as parts of PATH_INFO, which the web
// server gives as the script's own path (never with a path or query after it).
constexpr std::array<std::u16string_view, 4> kOpenPages = {u"index.asp", u"login.asp", u"login_check.asp",
                                                          u"user_reg_"};

const char16_t kNoRightMessage[] = u"你没有足够的权限！";
const char16_t kNotYourRecordMessage[] = u"你无权对该记录进行操作！";
const char16_t kPrivateAlbumMessage[] = u"此为私人相册，你无权欣赏！";

enum AlbumLevel : int16_t { kAlbumOpen = 1, kAlbumPassword = 2, kAlbumPrivate = 3 };

// The page's record of the table, opened read-only; the no-record page when
// there is none. Empty once the response has ended.
vb::Variant OpenRecord(vb::Variant& Response, vb::Variant& Conn, const vb::String& sql, bool p_CloseParent,
                       const vb::String& p_DialogID) {
  vb::Variant rs(com::CreateObject(u"Adodb.RecordSet"));
  com::Call(rs, u"Open", sql, Conn, kOpenKeyset, kLockReadOnly);
  KesraCheckIsNoRecord(Response, rs, Conn, u"", p_CloseParent, p_DialogID);
  if (asp::ResponseEnded(Response)) return {};
  return rs;
}

// The right or the refusal. The record is closed either way; Conn stays open
// when the right holds.
void GrantOrRefuse(vb::Variant& Response, vb::Variant& rs, vb::Variant& Conn, bool granted, bool p_CloseParent,
                   const vb::String& p_DialogID) {
  if (granted) {
    vb::Variant no_connection(u"");
    QeCloseData(rs, no_connection);
  } else {
    KesraShowErrorPage(Response, rs, Conn, kNotYourRecordMessage, p_CloseParent, p_DialogID);
  }
}

// Request("ID") as the owner check reads it: the leading number rounded down,
// as text. A number past any record's key can name none: it reads as 0.
vb::String OwnerRecordKey(vb::Variant& Request) {
  double id = vb::Int(LeadingNumber(RequestText(Request, u"ID")));
  if (!std::isfinite(id)) id = 0;
  return vb::CStr(vb::Variant(id));
}

// The password form of an album; Empty when the class ID ended the response.
vb::String AlbumPasswordForm(vb::Variant& Response, vb::Variant& Request) {
  int16_t class_id = KesraCheckIsID(Response, RequestText(Request, u"ClassID"), false, u"");
  if (asp::ResponseEnded(Response)) return {};
  return u"<table width='100%' border='0' align='center' cellpadding='0' cellspacing='0' >"
         u"<form name='getalbpass' method='post' action='?page=1&classid=" +
         vb::CStr(vb::Variant(class_id)) + u"&username=" + QueryValueEncode(RequestText(Request, u"username")) +
         u"&search=" + QueryValueEncode(RequestText(Request, u"search")) +
         u"'>"
         u"<tr><td style='padding:10px' align='center'>"
         u"<table width='90%' border='0' cellspacing='0' cellpadding='0'><tr><td style='line-height:180%'>"
         u"&nbsp;&nbsp;&nbsp;&nbsp;您访问的相册已被设置为需要密码才能访问，密码由相册的发布者提供，请您输入正确的密码："
         u"</td></tr></table>"
         u"<br>"
         u"<table width='90%' border='1' cellpadding='0' cellspacing='0' bordercolor='#C3C3C3' "
         u"style='border-collapse: collapse'><tr> "
         u"<td height='35' class='optd01' align='right' width='160' bgcolor='#F0F0F0' >输入访问密码：&nbsp;&nbsp;</td>"
         u"<td bgcolor='#FFFFFF'>&nbsp;<input type='password' class='inputtext' name='password' "
         u"style='width:250px; height:22pxx' size='40'></td>"
         u"</tr></table>"
         u"</td></tr>"
         u"<tr><td height='50' align='center'>"
         u"<input type='image' src='../comm/image/button/button_submit.asp' style='width:58px; height:27px'>"
         u"&nbsp;&nbsp;&nbsp;&nbsp;"
         u"<img src='../comm/image/button/button_reset.asp' style='width:58px; height:27px;cursor:hand' "
         u"onClick='history.back(-1);;return false;'>"
         u"</td></form></tr>"
         u"</table>";
}

}  // namespace

void QeCheckUserNormal(vb::Variant& Response, vb::Variant& Request, vb::Variant& Session) {
  if (QeUserLoggedIn(Session)) return;
  const vb::String page = ServerVariableText(Request, u"Path_Info");
  for (auto open : kOpenPages)
    if (page.find(open) != vb::String::npos) return;
  com::Call(Response, u"Write", vb::String(u"<Script>top.location.href='/qe/index.asp'</Script>"));
  com::Call(Response, u"End");
}

void QeCheckUserManager(vb::Variant& Response, vb::Variant& /*Request*/, vb::Variant& Session, vb::Variant& Conn,
                        vb::Variant& Rs, bool p_CloseParent, vb::String p_DialogID) {
  vb::Variant right = QeGetUserRight(Response, Session);
  if (asp::ResponseEnded(Response)) return;
  vb::Variant id = QeGetUserID(Response, Session);
  if (asp::ResponseEnded(Response)) return;
  const bool manager = vb::InStr(SessionText(Session, u"manager"), u"|" + vb::CStr(id) + u"|") > 0;
  if (!vb::Equals(right, vb::Variant(u"a")) && !manager)
    KesraShowErrorPage(Response, Rs, Conn, kNoRightMessage, p_CloseParent, p_DialogID);
}

void QeCheckUserSuperManager(vb::Variant& Response, vb::Variant& /*Request*/, vb::Variant& Session,
                             vb::Variant& Conn, vb::Variant& Rs, bool p_CloseParent, vb::String p_DialogID) {
  vb::Variant right = QeGetUserRight(Response, Session);
  if (asp::ResponseEnded(Response)) return;
  if (!vb::Equals(right, vb::Variant(u"a")))
    KesraShowErrorPage(Response, Rs, Conn, kNoRightMessage, p_CloseParent, p_DialogID);
}

void QeCheckOwner(vb::Variant& Response, vb::Variant& Request, vb::Variant& Session, vb::Variant& Conn,
                  vb::String p_TableName, vb::String p_OwnerType, bool p_CloseParent, vb::String p_DialogID) {
  const vb::String sql = u"Select * From [" + p_TableName + u"] Where id=" + OwnerRecordKey(Request);
  vb::Variant rs = OpenRecord(Response, Conn, sql, p_CloseParent, p_DialogID);
  if (asp::ResponseEnded(Response)) return;
  ClosedAtEnd closed(rs);
  const bool granted = QeCheckManagerRight(Response, Session, rs, p_OwnerType);
  if (asp::ResponseEnded(Response)) return;
  GrantOrRefuse(Response, rs, Conn, granted, p_CloseParent, p_DialogID);
}

void QeCheckPart(vb::Variant& Response, vb::Variant& Request, vb::Variant& Conn, vb::Variant& Session,
                 vb::String p_TableName, bool p_CloseParent, vb::String p_DialogID) {
  // Keys of 32 bits, as the owner check reads them: records past 32767 are
  // as reachable here as there.
  const int32_t id = CheckIsLongID(Response, RequestText(Request, u"ID"), false, u"");
  if (asp::ResponseEnded(Response)) return;
  const vb::String sql = u"Select * From [" + p_TableName + u"] Where [ID]=" + vb::CStr(vb::Variant(id));
  vb::Variant rs = OpenRecord(Response, Conn, sql, p_CloseParent, p_DialogID);
  if (asp::ResponseEnded(Response)) return;
  ClosedAtEnd closed(rs);
  vb::Variant part = QeGetUserPart(Response, Session);
  if (asp::ResponseEnded(Response)) return;
  const bool owner = QeCheckManagerRight(Response, Session, rs, u"owner");
  if (asp::ResponseEnded(Response)) return;
  // A Null GetPart compares as unknown: the record is for every department.
  const bool other_part = vb::NotEquals(RecordValue(rs, u"GetPart"), part);
  GrantOrRefuse(Response, rs, Conn, !(other_part && !owner), p_CloseParent, p_DialogID);
}

void QeCheckUserSizeResource(vb::Variant& Response, vb::Variant& Session, vb::Variant& Conn, bool p_CloseParent,
                             vb::String p_DialogID) {
  vb::Variant name = QeGetUserName(Response, Session);
  if (asp::ResponseEnded(Response)) return;
  vb::Variant rs = com::Call(Conn, u"Execute",
                             u"Select Sum(RealSize) As SumSize From [Resource] Where [UserName]=" +
                                 SqlText(vb::CStr(name)) + u" And IsShare=0");
  ClosedAtEnd closed(rs);
  vb::Variant quota = QeGetUserSizeResource(Response, Session);
  if (asp::ResponseEnded(Response)) return;
  // As VB multiplies Variants: a text quota reads as a Double, and a product
  // past 16 bits widens (1 MB is 1048576 bytes).
  vb::Variant limit = vb::Multiply(vb::Multiply(quota, int16_t{1024}), int16_t{1024});
  std::optional<int> order = vb::Compare(RecordValue(rs, u"SumSize"), limit);
  if (order && *order >= 0)
    KesraShowErrorPage(Response, rs, Conn, u"你的私有资源超过了额定容量" + vb::CStr(quota) + u"M限制！",
                       p_CloseParent, p_DialogID);
}

bool QeCheckAlbumVisitRight(vb::Variant& Session, vb::Variant& Response, vb::Variant& Request, vb::Variant& Rs,
                            vb::Variant& Conn, vb::String p_AlbumUserName, int16_t p_AlbumLevel,
                            vb::String p_AlbumPassword, bool p_CloseParent, vb::String p_DialogID) {
  vb::Variant name = QeGetUserName(Response, Session);
  if (asp::ResponseEnded(Response)) return false;
  if (vb::Equals(name, vb::Variant(p_AlbumUserName)) || p_AlbumLevel == kAlbumOpen) return true;
  if (p_AlbumLevel == kAlbumPrivate) {
    KesraShowErrorPage(Response, Rs, Conn, kPrivateAlbumMessage, p_CloseParent, p_DialogID);
    return false;
  }
  if (p_AlbumLevel != kAlbumPassword) return false;

  const vb::Variant posted = com::ValueOf(com::Call(Request, u"Form", vb::String(u"PassWord")));
  const vb::String posted_text = posted.IsNull() ? vb::String() : vb::CStr(posted);
  if (!RequestValue(Request, u"PassWord").IsNull() && !posted_text.empty())
    com::Let(Session, u"", vb::Variant(Kesra_Class_Md5().KesraMd5(posted_text)), vb::String(u"ShowType"));
  const vb::String shown = SessionText(Session, u"ShowType");
  if (shown == p_AlbumPassword && !shown.empty()) return true;
  vb::String form = AlbumPasswordForm(Response, Request);
  if (asp::ResponseEnded(Response)) return false;
  com::Call(Response, u"Write", form);
  return false;
}

}  // namespace qe
