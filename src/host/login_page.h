#pragma once
// The plain login page, "/qe/login.asp" (the site's real login pages are
// outside the component): the form, and on POST the check of the User row by
// login name and password digest, slowed down after wrong passwords
// (login_throttle.h); an account not yet approved (ShenHe) is refused. A user
// who passes gets the Session values that the office pages read (UserInfo,
// UserInfoSize, manager), the login cookie when asked to remember (the name
// only), and is sent on to the desk page. The same page answers under the
// address where the logout sends the browser.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kLoginPage[] = u"/qe/login.asp";
inline constexpr char16_t kOfficeLoginPage[] = u"/qe/main/login.asp";

void LoginPage(Page& page);

}  // namespace host
