#include "common/markup_encode.h"
#include "common/sql_literal.h"
#include "host/comm_pages.h"
#include "host/site_links.h"
#include "host/page_steps.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "shell/qe_application_data.h"

namespace host {
namespace {

using vb::String;
using vb::Variant;

constexpr int32_t kOpenForwardOnly = 0, kLockReadOnly = 1;

String Text(const Variant& value) {
  Variant v = com::ValueOf(value);
  return v.IsNull() || v.IsEmpty() ? String() : vb::CStr(v);
}

// One entry a line; the value travels in an attribute, so the script never
// has to quote it.
String Entries(Page& page, Variant& qe, const String& category) {
  Variant conn = com::Call(page.Server, u"CreateObject", String(u"Adodb.Connection"));
  com::Call(conn, u"Open", com::Call(page.Application, u"", String(qe::kPublicQeDataConnString)));
  Variant rs = com::Call(page.Server, u"CreateObject", String(u"Adodb.RecordSet"));
  com::Call(rs, u"Open", u"Select 名称 From [Sjzd] Where 分类=" + qe::SqlText(category) + u" Order By 序号 Asc", conn,
            kOpenForwardOnly, kLockReadOnly);
  String html;
  for (; !vb::CBool(com::Call(rs, u"EOF")); com::Call(rs, u"MoveNext")) {
    const String name = qe::HtmlEncodeText(Text(com::Call(rs, u"", String(u"名称"))));
    html += u"<li><a href=\"#\" data-value=\"" + name + u"\">" + name + u"</a></li>\n";
  }
  com::Call(qe, u"CommCloseData", rs, conn);
  return html.empty() ? u"<li class=\"empty\">没有可选的项目。</li>\n" : html;
}

}  // namespace

void SelectDataPage(Page& page) {
  Variant qe;
  if (!ComponentChecked(page, qe) || !MainDatabaseReady(page, qe)) return;
  const String category = Text(com::Call(page.Request, u"QueryString", String(u"zdm")));
  com::Call(page.Response, u"Write",
            PageOpening(u"请选择", false) + u"<ul id=\"choices\">\n" + Entries(page, qe, category) +
                u"</ul>\n<p><input type=\"button\" id=\"none\" value=\"不选\" onclick=\"window.close()\"></p>\n"
                u"<script>document.getElementById('choices').onclick=function(e){"
                u"var a=e.target.closest('a[data-value]');if(!a)return false;"
                u"window.returnValue=a.getAttribute('data-value');window.close();return false;};</script>\n" +
                kDialogClosing);
}

}  // namespace host
