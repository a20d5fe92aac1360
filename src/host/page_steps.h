#pragma once
// The steps the site's pages take first, each through the component as a
// page author calls it. Each answers false when it ended the response (the
// page returns at once).
#include "host/pages.h"

namespace host {

// Sets the page's code page and creates the component into `qe`; runs the
// injection check, and the origin check of a POST.
bool ComponentChecked(Page& page, vb::Variant& qe);

// The main database's connection string, and the database made and seeded
// when the site has none.
bool MainDatabaseReady(Page& page, vb::Variant& qe);

// The site-wide login gate and the session check.
bool UserAdmitted(Page& page, vb::Variant& qe);

// Whether the request is a POST.
bool Posted(Page& page);

}  // namespace host
