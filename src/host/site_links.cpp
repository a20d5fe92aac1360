#include "host/site_links.h"

#include <algorithm>
#include <initializer_list>

#include "common/kesra_class_md5.h"
#include "common/markup_encode.h"
#include "common/system_title.h"
#include "host/charts_page.h"
#include "host/comm_pages.h"
#include "host/data_manager_page.h"
#include "host/desk_page.h"
#include "host/editor_demo_page.h"
#include "host/form_sample_page.h"
#include "host/login_page.h"
#include "host/menu_list_page.h"
#include "host/netdrive_pages.h"
#include "office/qe_user.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "shell/qe_application_data.h"

namespace host {
namespace {

// Where the password's digest sits in the Session's UserInfo.
constexpr size_t kUserInfoPassword = 6;

}  // namespace

std::span<const SiteLink> OpenPages() {
  static const SiteLink links[] = {
      {kFormSamplePage, u"表单示例"},
      {kMenuListPage, u"菜单列表"},
      {kChartsPage, u"统计图表"},
      {kEditorDemoPage, u"在线编辑器"},
  };
  return links;
}

std::span<const SiteLink> UserPages() {
  static const SiteLink links[] = {
      {kNetDriversPage, u"网络硬盘"},
  };
  return links;
}

std::span<const SiteLink> SuperManagerPages() {
  // The data manager's forms by number; form 6 is its bare window.
  static const SiteLink links[] = {
      {u"/datemanager/data_manager.asp?p_FormType=1", u"数据备份"},
      {u"/datemanager/data_manager.asp?p_FormType=2", u"数据恢复"},
      {u"/datemanager/data_manager.asp?p_FormType=3", u"数据清理"},
      {u"/datemanager/data_manager.asp?p_FormType=4", u"数据压缩"},
      {u"/datemanager/data_manager.asp?p_FormType=5", u"数据导入导出"},
      {u"/datemanager/data_manager.asp?p_FormType=6", u"数据管理"},
      {u"/datemanager/data_manager.asp?p_FormType=7", u"数据结构创建"},
      {u"/datemanager/data_manager.asp?p_FormType=8", u"数据初始化"},
      {u"/datemanager/data_manager.asp?p_FormType=9", u"数据维护"},
      {kOperatorAccountsPage, u"用户管理"},
  };
  return links;
}

vb::String LinkList(const char16_t* id, std::span<const SiteLink> links) {
  vb::String html = u"<ul class=\"site-links\" id=\"" + vb::String(id) + u"\">\n";
  for (const SiteLink& link : links)
    html += u"<li><a href=\"" + qe::HtmlEncodeText(link.address) + u"\">" + qe::HtmlEncodeText(link.text) + u"</a></li>\n";
  return html + u"</ul>\n";
}

vb::String PageOpening(const vb::String& title, bool heading) {
  const vb::String system = qe::SystemTitle();
  const vb::String full = title.empty() ? system : title + u" - " + system;
  return u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n<title>" + full +
         u"</title>\n<link rel=\"stylesheet\" href=\"/qe/qe.css\">\n</head>\n<body>\n" +
         (heading ? u"<h1>" + system + u"</h1>\n" : vb::String());
}

vb::String PageClosing(bool to_desk) {
  const vb::String desk = to_desk ? u"<a href=\"" + vb::String(kDeskPage) + u"\">我的桌面</a> " : vb::String();
  return u"<p class=\"way-back\">" + desk + u"<a href=\"" + vb::String(kStartPage) + u"\">首页</a></p>\n</body>\n</html>\n";
}

bool LoggedIn(Page& page) {
  if (!qe::QeUserLoggedIn(page.Session)) return false;
  vb::Variant connection_string = com::ValueOf(com::Call(page.Application, u"", vb::String(qe::kPublicQeDataConnString)));
  // The login that wrote the Session's user left the site's database here;
  // without it there is no account to stand for.
  if (connection_string.IsEmpty() || vb::CStr(connection_string).empty()) {
    vb::Variant none;
    return qe::QeSessionFollowsAccount(page.Session, none);
  }
  vb::Variant conn = com::Call(page.Server, u"CreateObject", vb::String(u"Adodb.Connection"));
  com::Call(conn, u"Open", connection_string);
  const bool stands = qe::QeSessionFollowsAccount(page.Session, conn);
  com::Call(conn, u"Close");
  return stands;
}

bool PasswordEmpty(Page& page) {
  const std::vector<vb::String> fields = vb::SplitParts(qe::SessionText(page.Session, u"UserInfo"), u"|");
  return fields.size() > kUserInfoPassword && fields[kUserInfoPassword] == qe::Kesra_Class_Md5().KesraMd5(u"");
}

void SendToLogin(Page& page) {
  auto server_text = [&](const char16_t* name) {
    return vb::CStr(com::ValueOf(com::Call(page.Request, u"ServerVariables", vb::String(name))));
  };
  vb::String wanted = server_text(u"URL");
  const vb::String query = server_text(u"QUERY_STRING");
  if (!query.empty()) wanted += u"?" + query;
  // A page that acts is not asked for again: the desk instead.
  if (ReturnPath(wanted).empty()) wanted = kDeskPage;
  com::Call(page.Response, u"Redirect",
            vb::String(kLoginPage) + u"?" + kReturnField + u"=" + qe::QueryValueEncode(wanted));
}

vb::String ReturnPath(vb::StringView wanted) {
  if (wanted.size() < 1 || wanted.size() > 2000 || wanted[0] != u'/') return {};
  if (wanted.size() > 1 && wanted[1] == u'/') return {};
  for (char16_t c : wanted)
    if (c <= u' ' || c > u'~' || c == u'\\') return {};
  // The login leads on with a navigation of this site's own, which the
  // origin rule lets through: only to a page that shows, with the values it
  // shows by, never to one that would act (a drive action, a form's save).
  struct Shows {
    const char16_t* page;
    std::initializer_list<const char16_t*> values;
  };
  static const Shows kPagesThatShow[] = {
      {kDeskPage, {}},
      {kNetDriversPage, {u"p_CurrentFolder"}},
      {kDataManagerPage, {u"p_FormType"}},
      {kArticleReadPage, {u"ReadType", u"Preview", u"Id"}},
  };
  const size_t query_at = std::min(wanted.find(u'?'), wanted.size());
  const vb::String path = vb::LCase(wanted.substr(0, query_at));
  for (const Shows& shows : kPagesThatShow) {
    if (path != vb::LCase(shows.page)) continue;
    const vb::StringView query = wanted.substr(std::min(query_at + 1, wanted.size()));
    for (const vb::String& pair : vb::SplitParts(query, u"&")) {
      const vb::String name = vb::LCase(pair.substr(0, pair.find(u'=')));
      if (!name.empty() && std::ranges::none_of(shows.values, [&](const char16_t* v) { return vb::LCase(v) == name; }))
        return {};
    }
    return vb::String(wanted);
  }
  return {};
}

}  // namespace host
