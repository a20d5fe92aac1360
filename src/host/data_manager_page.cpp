#include "host/data_manager_page.h"

#include "common/system_title.h"
#include "host/page_steps.h"
#include "host/site_links.h"
#include "host/site_main_database.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "shell/qe_application_data.h"

namespace host {
namespace {

using vb::String;
using vb::Variant;

String Text(const Variant& value) {
  Variant plain = com::ValueOf(value);
  return plain.IsNull() || plain.IsEmpty() ? String() : vb::CStr(plain);
}

void Write(Page& page, const String& body) {
  com::Call(page.Response, u"Write",
            u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n<title>" +
                qe::SystemTitle() + u"</title>\n<link rel=\"stylesheet\" href=\"/qe/qe.css\">\n</head>\n<body>\n" + body +
                u"\n" + kPageClosing);
}

// The checks both pages make: a logged-in super manager, and the main
// database ready. The connection is left open on it.
bool Admitted(Page& page, Variant& qe, Variant& conn) {
  com::Let(page.Response, u"Charset", String(u"gb2312"));
  qe = com::Call(page.Server, u"CreateObject", String(u"QE.QeCls"));
  com::Call(qe, u"CommCheckInject", page.Request, page.Response);
  if (page.Ended()) return false;
  com::Call(qe, u"CommGetApplicationConnString", page.Response, page.Request, page.Server, page.Application);
  if (page.Ended()) return false;
  if (!PrepareMainDatabase(page, qe)) return false;
  if (!UserAdmitted(page, qe)) return false;
  conn = com::Call(page.Server, u"CreateObject", String(u"Adodb.Connection"));
  com::Call(conn, u"Open", com::Call(page.Application, u"", String(qe::kPublicQeDataConnString)));
  Variant rs(String{});
  com::Call(qe, u"CommCheckUserSuperManager", page.Response, page.Request, page.Session, conn, rs);
  return !page.Ended();
}

void Close(Variant& qe, Variant& rs, Variant& conn) { com::Call(qe, u"CommCloseData", rs, conn); }

}  // namespace

void DataManagerPage(Page& page) {
  Variant qe, conn;
  if (!Admitted(page, qe, conn)) return;
  Variant rs(String{});
  Close(qe, rs, conn);
  com::Call(qe, u"CommGetApplicationDataType", page.Response, page.Request, page.Server, page.Application);
  if (page.Ended()) return;
  String data_type = Text(com::Call(page.Application, u"", String(qe::kPublicQeDataType)));
  String list = u"qe.asp";
  if (vb::LCase(data_type) != u"access") {
    qe::QeGetApplicationDataSql(page.Response, page.Request, page.Server, page.Application, false, u"");
    if (page.Ended()) return;
    // "server|user|password" as the form's list of three fields.
    list = vb::Replace(Text(com::Call(page.Application, u"", String(qe::kPublicQeDataSQL))), u"|", u"$");
  }
  double type = 0;
  String query = Text(com::Call(page.Request, u"QueryString", String(u"p_FormType")));
  if (!vb::ParseNumber(vb::Trim(query), type) || type < 0 || type > 32767) type = 6;
  String html = Text(com::Call(qe, u"CommShowFormData", page.Response, page.Request, page.Server, page.Application,
                               static_cast<int16_t>(type), data_type, list));
  if (page.Ended()) return;
  Write(page, html);
}

void OperatorAccountsPage(Page& page) {
  Variant qe, conn;
  if (!Admitted(page, qe, conn)) return;
  Variant rs(String{});
  String name = Text(com::Call(qe, u"CommGetUserLoginName", page.Response, page.Session));
  String html = Text(com::Call(qe, u"CommShowFormUser", page.Response, page.Request, page.Server, page.Session, conn,
                               rs, name, String(u"1"), true));
  if (page.Ended()) return;
  Close(qe, rs, conn);
  Write(page, html);
}

}  // namespace host
