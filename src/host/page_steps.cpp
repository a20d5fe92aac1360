#include "host/page_steps.h"

#include "host/password_page.h"
#include "host/site_links.h"
#include "host/site_main_database.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace host {

bool Posted(Page& page) {
  vb::Variant method = com::ValueOf(com::Call(page.Request, u"ServerVariables", vb::String(u"REQUEST_METHOD")));
  return !method.IsNull() && vb::CStr(method) == u"POST";
}

bool ComponentChecked(Page& page, vb::Variant& qe) {
  com::Let(page.Response, u"Charset", vb::String(u"gb2312"));
  qe = com::Call(page.Server, u"CreateObject", vb::String(u"QE.QeCls"));
  com::Call(qe, u"CommCheckInject", page.Request, page.Response);
  if (page.Ended()) return false;
  if (Posted(page)) com::Call(qe, u"CommCheckPost", page.Request, page.Response);
  return !page.Ended();
}

bool MainDatabaseReady(Page& page, vb::Variant& qe) {
  com::Call(qe, u"CommGetApplicationConnString", page.Response, page.Request, page.Server, page.Application);
  return !page.Ended() && PrepareMainDatabase(page, qe);
}

UserStanding StandingOfUser(Page& page, bool password_may_be_empty) {
  if (!LoggedIn(page)) return UserStanding::kNotLoggedIn;
  if (!password_may_be_empty && PasswordEmpty(page)) return UserStanding::kPasswordEmpty;
  return UserStanding::kAdmitted;
}

bool UserAdmitted(Page& page, vb::Variant& qe, bool password_may_be_empty) {
  switch (StandingOfUser(page, password_may_be_empty)) {
    case UserStanding::kNotLoggedIn:
      SendToLogin(page);
      return false;
    case UserStanding::kPasswordEmpty:
      com::Call(page.Response, u"Redirect", vb::String(kPasswordPage));
      return false;
    case UserStanding::kAdmitted:
      break;
  }
  com::Call(qe, u"CommCheckUserNormal", page.Response, page.Request, page.Session);
  if (page.Ended()) return false;
  com::Call(qe, u"CommCheckUserSession", page.Response, page.Session);
  return !page.Ended();
}

}  // namespace host
