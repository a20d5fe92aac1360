#include "host/password_page.h"

#include "host/desk_page.h"
#include "host/login_throttle.h"
#include "host/site_links.h"
#include "host/page_steps.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "shell/qe_application_data.h"

namespace host {
namespace {

using vb::String;
using vb::Variant;

// Where the password sits in the Session's UserInfo ("ID|login|name|...").
constexpr size_t kUserInfoPasswordField = 6;
// The session's account row is gone: deleted, or the data initialised or
// replaced under the session.
constexpr char16_t kAccountGone[] = u"该帐号已不存在，请重新登录！";

String Text(const Variant& value) {
  Variant v = com::ValueOf(value);
  return v.IsNull() || v.IsEmpty() ? String() : vb::CStr(v);
}

String FormText(Page& page, const char16_t* name) { return Text(com::Call(page.Request, u"Form", String(name))); }

String Digest(Variant& qe, const String& password) { return Text(com::Call(qe, u"CommMd5", password)); }

void Write(Page& page, const String& text) { com::Call(page.Response, u"Write", text); }

// The form; above it, when given, why the last change was refused.
void ShowForm(Page& page, Variant& qe, const char16_t* refusal = nullptr) {
  String html = PageOpening(u"修改密码") + u"<h2>修改密码</h2>\n";
  if (refusal) html += u"<p class=\"notice\" id=\"refused\">" + String(refusal) + u"</p>\n";
  if (Text(com::Call(qe, u"CommGetUserPassword", page.Response, page.Session)) == Digest(qe, u""))
    html += u"<p class=\"notice\" id=\"empty-password\">您的密码为空，任何人都能以您的名义登录：请立即设置密码。</p>\n";
  html += u"<form name=\"myform\" method=\"post\" action=\"password.asp\">\n"
          u"<p><label>原密码：<input type=\"password\" name=\"OldPassWord\"></label></p>\n"
          u"<p><label>新密码：<input type=\"password\" name=\"NewPassWord\"></label></p>\n"
          u"<p><label>确认新密码：<input type=\"password\" name=\"NewPassWord2\"></label></p>\n"
          u"<p><input type=\"submit\" value=\"修改\"> <a href=\"" +
          String(kDeskPage) + u"\">返回桌面</a></p>\n</form>\n" + kPageClosing;
  Write(page, html);
}

// The Session's user with the new digest, so that later pages see it.
void KeepSessionInStep(Page& page, const String& digest) {
  std::vector<String> fields = vb::SplitParts(Text(com::Call(page.Session, u"", String(u"UserInfo"))), u"|");
  if (fields.size() <= kUserInfoPasswordField) return;
  fields[kUserInfoPasswordField] = digest;
  String info;
  for (size_t i = 0; i < fields.size(); ++i) info += (i ? u"|" : u"") + fields[i];
  com::Let(page.Session, u"", Variant(info), String(u"UserInfo"));
}

void Change(Page& page, Variant& qe) {
  const String id = Text(com::Call(qe, u"CommGetUserID", page.Response, page.Session));
  if (page.Ended()) return;
  // The old password is a login's password: guessing it here is held back
  // as the login page holds it back.
  const String login_name = Text(com::Call(qe, u"CommGetUserLoginName", page.Response, page.Session));
  LoginTry tried(page.Application, page.Request, login_name);
  if (!tried.Admitted()) {
    Variant none;
    com::Call(qe, u"CommShowErrorPage", page.Response, none, none, String(kTooManyLoginTries));
    return;
  }
  const String fresh = FormText(page, u"NewPassWord");
  Variant conn = com::Call(page.Server, u"CreateObject", String(u"Adodb.Connection"));
  com::Call(conn, u"Open", com::Call(page.Application, u"", String(qe::kPublicQeDataConnString)));
  Variant rs = com::Call(page.Server, u"CreateObject", String(u"Adodb.RecordSet"));
  // The ID comes from the Session the login wrote; as a number it cannot
  // carry anything but itself into the statement.
  const String where = u" Where [ID]=" + vb::CStr(Variant(vb::CLng(Variant(id))));
  com::Call(rs, u"Open", u"Select [PassWord] From [User]" + where, conn, int32_t{1}, int32_t{1});
  const bool found = !vb::CBool(com::Call(rs, u"EOF"));
  const bool old_right =
      found && Text(com::Call(rs, u"", String(u"PassWord"))) == Digest(qe, FormText(page, u"OldPassWord"));
  if (found) tried.Compared(old_right);
  const char16_t* refusal = nullptr;
  if (!found)
    refusal = kAccountGone;
  else if (!old_right)
    refusal = u"原密码错误！";
  else if (fresh.empty())
    refusal = u"新密码不能为空！";
  // Two different new passwords are a slip of the keys: the form again, to
  // type them once more, with the site's way on below it.
  if (!refusal && fresh != FormText(page, u"NewPassWord2")) {
    com::Call(qe, u"CommCloseData", rs, conn);
    return ShowForm(page, qe, u"两次输入的新密码不一致！");
  }
  if (refusal) {
    com::Call(qe, u"CommShowErrorPage", page.Response, rs, conn, String(refusal));
    return;
  }
  com::Call(rs, u"Close");
  const String digest = Digest(qe, fresh);
  // The row can go between the read and the write (an initialisation of the
  // data waited for): only a change of exactly that one row is a success.
  Variant changed;
  com::Call(conn, u"Execute", u"Update [User] Set [PassWord]='" + digest + u"'" + where, changed);
  Variant closed(String{});
  if (vb::CLng(changed) != 1) {
    com::Call(qe, u"CommShowErrorPage", page.Response, closed, conn, String(kAccountGone));
    return;
  }
  KeepSessionInStep(page, digest);
  com::Call(qe, u"CommCloseData", closed, conn);
  Write(page, PageOpening(u"修改密码") + u"<p id=\"changed\">密码修改成功！下次登录请使用新密码。</p>\n<p><a href=\"" +
                  String(kDeskPage) + u"\">返回桌面</a></p>\n" + kPageClosing);
}

}  // namespace

void PasswordPage(Page& page) {
  Variant qe;
  // Where an empty password sends its user: the one page it opens.
  if (!ComponentChecked(page, qe) || !MainDatabaseReady(page, qe) || !UserAdmitted(page, qe, true)) return;
  if (Posted(page))
    Change(page, qe);
  else
    ShowForm(page, qe);
}

}  // namespace host
