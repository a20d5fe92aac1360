#include "host/desk_page.h"

#include "common/markup_encode.h"
#include "common/system_title.h"
#include "host/login_page.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace host {

void DeskPage(Page& page) {
  com::Let(page.Response, u"Charset", vb::String(u"gb2312"));
  vb::Variant qe = com::Call(page.Server, u"CreateObject", vb::String(u"QE.QeCls"));
  com::Call(qe, u"CommCheckUserNormal", page.Response, page.Request, page.Session);
  if (page.Ended()) return;
  com::Call(qe, u"CommCheckUserSession", page.Response, page.Session);
  if (page.Ended()) return;
  const vb::String name = vb::CStr(com::Call(qe, u"CommGetUserName", page.Response, page.Session));
  const vb::String part = vb::CStr(com::Call(qe, u"CommGetUserPart", page.Response, page.Session));
  com::Call(page.Response, u"Write",
            u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n<title>" +
                qe::SystemTitle() + u"</title>\n<link rel=\"stylesheet\" href=\"/qe/qe.css\">\n</head>\n<body>\n<h1>" +
                qe::SystemTitle() + u"</h1>\n<p>欢迎您，<span id=\"user\">" + qe::HtmlEncodeText(name) +
                u"</span>（<span id=\"part\">" + qe::HtmlEncodeText(part) + u"</span>）</p>\n<p><a href=\"" +
                vb::String(kLoginPage) + u"\">重新登录</a></p>\n</body>\n</html>\n");
}

}  // namespace host
