#include "host/file_view_pages.h"

#include "common/markup_encode.h"
#include "common/page_address.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace host {
namespace {

using vb::String;
using vb::Variant;

String Query(Page& page, const char16_t* name) {
  return vb::CStr(com::ValueOf(com::Call(page.Request, u"QueryString", String(name))));
}

}  // namespace

void FileViewPage(Page& page) {
  com::Let(page.Response, u"Charset", String(u"gb2312"));
  Variant qe = com::Call(page.Server, u"CreateObject", String(u"QE.QeCls"));
  const String kind = Query(page, u"FileType");
  // The player pages insert what they are given: the page makes it safe
  // first, and an address that could run a script goes nowhere.
  const String given = Query(page, u"Url");
  const String url = qe::IsPageAddress(given) ? qe::QueryValueEncode(given) : String(u"#");
  const String title = qe::HtmlEncodeText(Query(page, u"Title"));
  Variant html;
  if (vb::EqualsNoCase(kind, u"Wav")) html = com::Call(qe, u"CommShowPlayMusic", url, title);
  else if (vb::EqualsNoCase(kind, u"Mp4")) html = com::Call(qe, u"CommShowPlayMovie", url, title);
  else if (vb::EqualsNoCase(kind, u"Movie"))
    html = com::Call(qe, u"CommShowPlayMovie", url, title, qe::QueryValueEncode(Query(page, u"RunSystem")));
  else if (vb::EqualsNoCase(kind, u"Flash"))
    html = com::Call(qe, u"CommShowPlayFlash", url, title, qe::QueryValueEncode(Query(page, u"PlayType")));
  else if (vb::EqualsNoCase(kind, u"Image")) html = com::Call(qe, u"CommShowPlayImage", url, title);
  if (html.IsEmpty()) {
    com::Let(page.Response, u"Status", String(u"404 Not Found"));
    com::Call(page.Response, u"Write", String(u"<html><body>没有这种文件的播放器。</body></html>"));
    return;
  }
  com::Call(page.Response, u"Write", html);
}

void FileDownloadPage(Page& page) {
  Variant qe = com::Call(page.Server, u"CreateObject", String(u"QE.QeCls"));
  com::Call(qe, u"CommCheckInject", page.Request, page.Response);
  if (page.Ended()) return;
  const String file = Query(page, u"p_CurrentFile");
  if (file.empty()) {
    // No file named: the page itself was asked for, not a file.
    com::Let(page.Response, u"Status", String(u"404 Not Found"));
    com::Call(page.Response, u"Write", String(u"<html><body>没有指定文件。</body></html>"));
    return;
  }
  com::Call(qe, u"CommFileView", page.Server, page.Response, page.Request, file, Query(page, u"p_Act"),
            Query(page, u"p_FileTitle"));
}

}  // namespace host
