#pragma once
// The change of password, "/qe/main/password.asp", for a logged-in user: the
// old password and the new one twice. A POST from the site's own pages that
// gives the right old password and the same non-empty new one twice stores
// the new one's digest (as the login page checks it) and keeps the Session's
// user in step. The form says so when the account's password is empty.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kPasswordPage[] = u"/qe/main/password.asp";

void PasswordPage(Page& page);

}  // namespace host
