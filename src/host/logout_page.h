#pragma once
// The logout, "/comm/logout.asp", where the exit link of the office title bar
// leads: after the origin check (a page of another site cannot log a user
// out), the user's session ends through CommShowWindowLogin, which sends the
// browser to the login page; the next request gets a new session.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kLogoutPage[] = u"/comm/logout.asp";

void LogoutPage(Page& page);

}  // namespace host
