#include "host/logout_page.h"

#include "platform/com/object.h"

namespace host {

void LogoutPage(Page& page) {
  com::Let(page.Response, u"Charset", vb::String(u"gb2312"));
  vb::Variant qe = com::Call(page.Server, u"CreateObject", vb::String(u"QE.QeCls"));
  // The exit link is a GET: it is checked all the same.
  com::Call(qe, u"CommCheckPost", page.Request, page.Response);
  if (page.Ended()) return;
  vb::Variant no_records, no_connection;
  com::Call(qe, u"CommShowWindowLogin", page.Response, page.Session, no_records, no_connection, vb::String(),
            vb::Variant(uint8_t{0}));
}

}  // namespace host
