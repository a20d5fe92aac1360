#pragma once
// The user's desk, "/qe/main/desk.asp": a page for logged-in users only. It
// runs the site-wide login gate and the session check, greets the user by
// name, and links every page the user may use: the drive and the open
// pages, the data manager's forms and the operator accounts for the super
// manager, the change of password and the logout.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kDeskPage[] = u"/qe/main/desk.asp";

void DeskPage(Page& page);

// "/welcome/welcome.asp", where the data maintenance forms' "退出" leads: the
// office's welcome is the user's desk here.
inline constexpr char16_t kWelcomePage[] = u"/welcome/welcome.asp";
void WelcomePage(Page& page);

}  // namespace host
