#include "host/start_page.h"

#include "common/system_title.h"
#include "common/markup_encode.h"
#include "host/desk_page.h"
#include "host/login_page.h"
#include "host/site_links.h"
#include "host/site_main_database.h"
#include "host/start_menu.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace host {
namespace {

void Write(Page& page, const vb::String& text) { com::Call(page.Response, u"Write", text); }

vb::String CountText(int32_t count) { return vb::CStr(vb::Variant(count)); }

struct Visits {
  int32_t session, site;
};

// One more visit in this session and in the whole site; the site's count
// changes under the Application lock, as every page that counts must.
Visits CountVisit(Page& page) {
  Visits visits{};
  visits.session = vb::CLng(com::Call(page.Session, u"", vb::String(u"QeVisits"))) + 1;
  com::Let(page.Session, u"", visits.session, vb::String(u"QeVisits"));
  com::Call(page.Application, u"Lock");
  visits.site = vb::CLng(com::Call(page.Application, u"", vb::String(u"QeVisits"))) + 1;
  com::Let(page.Application, u"", visits.site, vb::String(u"QeVisits"));
  com::Call(page.Application, u"Unlock");
  return visits;
}

// The way on: log in, or who is logged in, the desk and the logout; then
// the pages anyone may open.
vb::String SitePagesSection(Page& page, vb::Variant& qe) {
  vb::String html = u"<h2>本站页面</h2>\n<p class=\"account\">";
  if (LoggedIn(page)) {
    const vb::String name = vb::CStr(com::ValueOf(com::Call(qe, u"CommGetUserName", page.Response, page.Session)));
    html += u"当前用户：<span id=\"user\">" + qe::HtmlEncodeText(name) + u"</span> <a href=\"" + vb::String(kDeskPage) +
            u"\">我的桌面</a> <a href=\"" + vb::String(kLogoutAddress) + u"\">退出登录</a>";
  } else {
    html += u"<a href=\"" + vb::String(kLoginPage) + u"\">登录</a>";
  }
  return html + u"</p>\n" + LinkList(u"open-pages", OpenPages());
}

}  // namespace

void StartPage(Page& page) {
  com::Let(page.Response, u"Charset", vb::String(u"gb2312"));
  vb::Variant qe = com::Call(page.Server, u"CreateObject", vb::String(u"QE.QeCls"));
  com::Call(qe, u"CommCheckInject", page.Request, page.Response);
  if (page.Ended()) return;
  vb::String method = vb::CStr(com::ValueOf(com::Call(page.Request, u"ServerVariables", vb::String(u"REQUEST_METHOD"))));
  if (method == u"POST") {
    com::Call(qe, u"CommCheckPost", page.Request, page.Response);
    if (page.Ended()) return;
  }

  // Checked first: a refused request does no database work.
  com::Call(qe, u"CommGetApplicationConnString", page.Response, page.Request, page.Server, page.Application);
  if (page.Ended()) return;
  if (!PrepareMainDatabase(page, qe)) return;

  Visits visits = CountVisit(page);
  vb::String title = qe::SystemTitle();
  Write(page,
        u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
        u"<title>" + title + u"</title>\n<link rel=\"stylesheet\" href=\"/qe/qe.css\">\n</head>\n<body>\n"
        u"<h1>" + title + u"</h1>\n");
  WriteStartMenu(page, qe);
  Write(page, SitePagesSection(page, qe));
  Write(page, u"<p class=\"visits\">您在本次会话中第 " + CountText(visits.session) + u" 次访问本页，本站共被访问 " +
                  CountText(visits.site) + u" 次。</p>\n</body>\n</html>\n");
}

}  // namespace host
