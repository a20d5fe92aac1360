#include "host/login_page.h"

#include "common/kesra_class_md5.h"
#include "common/markup_encode.h"
#include "common/sql_literal.h"
#include "common/system_title.h"
#include "host/desk_page.h"
#include "host/login_throttle.h"
#include "host/netdrive_pages.h"
#include "host/password_page.h"
#include "host/site_links.h"
#include "host/site_main_database.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "shell/qe_application_data.h"

namespace host {
namespace {

using vb::String;
using vb::Variant;

constexpr int32_t kOpenKeyset = 1, kLockReadOnly = 1;
// How long the login cookie keeps the user, in days.
constexpr int16_t kRememberDays = 30;
// The User columns that make UserInfo, in its order.
constexpr const char16_t* kUserInfoColumns[] = {u"ID", u"UserName", u"Name", u"Part", u"Rule", u"Time", u"PassWord"};

constexpr char16_t kWrongLogin[] = u"用户名或密码错误！";
constexpr char16_t kNotApproved[] = u"该用户尚未通过审核，请与管理员联系！";
constexpr char16_t kBarInName[] = u"用户资料中含有字符“|”，不能登录，请与管理员联系！";

void Write(Page& page, const String& text) { com::Call(page.Response, u"Write", text); }

String Text(const Variant& value) {
  Variant v = com::ValueOf(value);
  return v.IsNull() ? String() : vb::CStr(v);
}

String FormText(Page& page, const char16_t* name) { return Text(com::Call(page.Request, u"Form", String(name))); }

void Refuse(Page& page, Variant& qe, Variant& rs, Variant& conn, const char16_t* message) {
  com::Call(qe, u"CommShowErrorPage", page.Response, rs, conn, String(message));
}

void ShowForm(Page& page) {
  // The name the login cookie remembers; the cookie itself never reaches
  // the page's scripts.
  const String remembered = Text(com::Call(page.Request, u"Cookies", String(u"KesraQe"), String(u"UserName")));
  // Sent here by a page that needs a login: say so, and go back there.
  const String back = ReturnPath(Text(com::Call(page.Request, u"QueryString", String(kReturnField))));
  const String coming_back =
      back.empty() ? String()
                   : u"<p class=\"notice\" id=\"login-needed\">您要打开的页面需要登录，请先登录。</p>\n"
                     u"<input type=\"hidden\" name=\"" + String(kReturnField) + u"\" value=\"" +
                         qe::HtmlEncodeText(back) + u"\">\n";
  Write(page, u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n<title>登录 - " +
                  qe::SystemTitle() + u"</title>\n<link rel=\"stylesheet\" href=\"/qe/qe.css\">\n</head>\n<body>\n<h1>" +
                  qe::SystemTitle() +
                  u"</h1>\n<form name=\"login\" method=\"post\" action=\"login.asp\">\n" + coming_back +
                  u"<p><label>用户名：<input name=\"UserName\" value=\"" + qe::HtmlEncodeText(remembered) +
                  u"\"></label></p>\n"
                  u"<p><label>密码：<input type=\"password\" name=\"PassWord\"></label></p>\n"
                  u"<p><label><input type=\"checkbox\" name=\"SaveTime\" value=\"" +
                  vb::CStr(Variant(kRememberDays)) + u"\"" + (remembered.empty() ? u"" : u" checked") +
                  u">记住我</label></p>\n"
                  u"<p><input type=\"submit\" value=\"登录\"></p>\n</form>\n" + PageClosing(LoggedIn(page)));
}

// Whether the account of the row has been approved; a missing mark is not
// an approval.
bool Approved(Variant& rs) {
  Variant mark = com::ValueOf(com::Call(rs, u"", String(u"ShenHe")));
  return !mark.IsNull() && !mark.IsEmpty() && vb::CBool(mark);
}

// The user of the posted name and password, or the error page. Wrong
// passwords and unknown names are answered alike, and counted alike by the
// throttle, so that no answer tells whether a name exists; a try the
// database fails before that is not counted.
void CheckLogin(Page& page, Variant& qe) {
  const String name = FormText(page, u"UserName");
  LoginTry tried(page.Application, page.Request, name);
  if (!tried.Admitted()) {
    Variant none;
    return Refuse(page, qe, none, none, kTooManyLoginTries);
  }

  const String digest = qe::Kesra_Class_Md5().KesraMd5(FormText(page, u"PassWord"));
  Variant conn = com::Call(page.Server, u"CreateObject", String(u"Adodb.Connection"));
  com::Call(conn, u"Open", com::Call(page.Application, u"", String(qe::kPublicQeDataConnString)));
  Variant rs = com::Call(page.Server, u"CreateObject", String(u"Adodb.RecordSet"));
  com::Call(rs, u"Open",
            u"Select [ID],[UserName],[Name],[Part],[Rule],[Time],[PassWord],[SystemSet],[ShenHe] From [User] Where "
            u"[UserName]=" +
                qe::SqlText(name),
            conn, kOpenKeyset, kLockReadOnly);
  const bool right = !vb::CBool(com::Call(rs, u"EOF")) && Text(com::Call(rs, u"", String(u"PassWord"))) == digest;
  tried.Compared(right);
  if (!right) return Refuse(page, qe, rs, conn, tried.Engaged() ? kTooManyLoginTries : kWrongLogin);
  if (!Approved(rs)) return Refuse(page, qe, rs, conn, kNotApproved);

  // UserInfo is split at "|": a field holding one would shift the rest.
  String info;
  for (const char16_t* column : kUserInfoColumns) {
    String field = Text(com::Call(rs, u"", String(column)));
    if (vb::InStr(field, u"|") > 0) return Refuse(page, qe, rs, conn, kBarInName);
    if (column != kUserInfoColumns[0]) info += u"|";
    info += field;
  }
  if (asp::Context* context = asp::CurrentContext()) context->RenewSession();  // an id planted before login ends here
  com::Let(page.Session, u"", Variant(info), String(u"UserInfo"));
  com::Let(page.Session, u"", Variant(Text(com::Call(rs, u"", String(u"SystemSet")))), String(u"UserInfoSize"));
  com::Let(page.Session, u"", Variant(u""), String(u"manager"));
  MakeUserDrive(page, Text(com::Call(rs, u"", String(u"Name"))));
  com::Call(qe, u"CommCloseData", rs, conn);
  tried.LoggedIn(name);

  if (!FormText(page, u"SaveTime").empty()) {
    Variant days(kRememberDays);
    com::Call(qe, u"CommSaveCookiesInfo", page.Response, page.Request, days);
  }
  // An account whose password is empty goes first where it gets one; any
  // other back to the page that sent it here, or to the desk.
  const bool empty_password = digest == qe::Kesra_Class_Md5().KesraMd5(u"");
  const String back = ReturnPath(FormText(page, kReturnField));
  com::Call(page.Response, u"Redirect", empty_password ? String(kPasswordPage) : back.empty() ? String(kDeskPage) : back);
}

}  // namespace

void LoginPage(Page& page) {
  com::Let(page.Response, u"Charset", String(u"gb2312"));
  Variant qe = com::Call(page.Server, u"CreateObject", String(u"QE.QeCls"));
  com::Call(qe, u"CommCheckInject", page.Request, page.Response);
  if (page.Ended()) return;
  const bool posted = Text(com::Call(page.Request, u"ServerVariables", String(u"REQUEST_METHOD"))) == u"POST";
  if (posted) {
    com::Call(qe, u"CommCheckPost", page.Request, page.Response);
    if (page.Ended()) return;
  }
  com::Call(qe, u"CommGetApplicationConnString", page.Response, page.Request, page.Server, page.Application);
  if (page.Ended()) return;
  if (!PrepareMainDatabase(page, qe)) return;
  if (posted)
    CheckLogin(page, qe);
  else
    ShowForm(page);
}

}  // namespace host
