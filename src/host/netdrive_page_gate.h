#pragma once
// What every drive page does first: the request's values, the login gate and
// the origin check of the pages that change something.
#include "host/pages.h"

namespace host {

// The value the query, else the form, holds for the name (never a cookie);
// "" when neither holds it.
vb::String DriveRequestText(Page& page, const char16_t* name);
// The façade, once the visitor passed the login gate; Empty when the gate
// ended the response.
vb::Variant DriveGate(Page& page);
// False once the origin check refused the request (its error page ended the
// response).
bool DriveFromThisSite(Page& page, vb::Variant& qe);
// p_CurrentFolder, "/" when it was not sent.
vb::String DriveFolder(Page& page);

}  // namespace host
