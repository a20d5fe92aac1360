#pragma once
// The start page, "/qe/index.asp": where "/" leads.
#include "host/pages.h"

namespace host {

// Checks the request through the component (injection always, the origin of
// a POST); gets the main database's connection string (making the
// configuration database on first use) and the main database itself when the
// site has none; counts the visit in the Session and the Application, and
// shows the system's title with the menu read from the main database. A
// refused request, or a configuration that names no database, shows the
// error page and nothing else.
void StartPage(Page& page);

}  // namespace host
