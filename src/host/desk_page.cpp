#include "host/desk_page.h"

#include "common/markup_encode.h"
#include "host/page_steps.h"
#include "host/password_page.h"
#include "host/site_links.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace host {
namespace {

vb::String UserText(vb::Variant& qe, Page& page, const char16_t* member) {
  return vb::CStr(com::ValueOf(com::Call(qe, member, page.Response, page.Session)));
}

}  // namespace

void DeskPage(Page& page) {
  com::Let(page.Response, u"Charset", vb::String(u"gb2312"));
  vb::Variant qe = com::Call(page.Server, u"CreateObject", vb::String(u"QE.QeCls"));
  if (!UserAdmitted(page, qe)) return;
  const vb::String name = UserText(qe, page, u"CommGetUserName");
  const vb::String part = UserText(qe, page, u"CommGetUserPart");
  // "a" is the super manager's right, as the data pages check it.
  const bool super_manager = UserText(qe, page, u"CommGetUserRight") == u"a";

  vb::String html = PageOpening(u"我的桌面") + u"<p>欢迎您，<span id=\"user\">" + qe::HtmlEncodeText(name) +
                    u"</span>（<span id=\"part\">" + qe::HtmlEncodeText(part) + u"</span>）</p>\n<h2>我的页面</h2>\n" +
                    LinkList(u"user-pages", UserPages()) + LinkList(u"open-pages", OpenPages());
  if (super_manager) html += u"<h2>系统维护</h2>\n" + LinkList(u"manager-pages", SuperManagerPages());
  html += u"<p class=\"account\"><a href=\"" + vb::String(kPasswordPage) + u"\">修改密码</a> <a href=\"" +
          vb::String(kLogoutAddress) + u"\">退出登录</a> <a href=\"" + vb::String(kStartPage) + u"\">首页</a></p>\n" +
          kPageClosing;
  com::Call(page.Response, u"Write", html);
}

void WelcomePage(Page& page) { com::Call(page.Response, u"Redirect", vb::String(kDeskPage)); }

}  // namespace host
