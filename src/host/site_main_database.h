#pragma once
// The site's main database (data\qe.asp), made and seeded by the first
// request that finds the site without one.
#include "host/pages.h"

namespace host {

// Makes the main database from the schema when the site has none and seeds
// it through the component `qe` (CommDataInit), all under the Application
// lock: requests that arrive at once neither seed it twice nor read it before
// it is seeded. A seeding that does not finish takes the new file away again,
// so that the next request starts over instead of listing an empty menu.
// False when seeding ended the response (the page returns at once).
bool PrepareMainDatabase(Page& page, vb::Variant& qe);

}  // namespace host
