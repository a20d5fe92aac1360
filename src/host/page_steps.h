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

// The site-wide login gate and the session check, after the site's own: a
// visitor who has not logged in (or whose account no longer says so) goes to
// the login page, which brings them back here; a user whose password is
// empty goes to the password page first, unless `password_may_be_empty`.
bool UserAdmitted(Page& page, vb::Variant& qe, bool password_may_be_empty = false);

// The same step's verdict without its answer, for a page that answers in a
// form of its own (the editor's upload page, in JSON).
enum class UserStanding { kAdmitted, kNotLoggedIn, kPasswordEmpty };
UserStanding StandingOfUser(Page& page, bool password_may_be_empty = false);

// Whether the request is a POST.
bool Posted(Page& page);

}  // namespace host
