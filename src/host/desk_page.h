#pragma once
// The user's desk, "/qe/main/desk.asp": a page for logged-in users only. It
// runs the site-wide login gate and the session check, and greets the user
// by name.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kDeskPage[] = u"/qe/main/desk.asp";

void DeskPage(Page& page);

}  // namespace host
