#pragma once
// The start page, "/qe/index.asp": where "/" leads.
#include "host/pages.h"

namespace host {

// Checks the request through the component (injection always, the origin of
// a POST), counts the visit in the Session and the Application, and shows the
// system's title with the menu.
void StartPage(Page& page);

}  // namespace host
