#pragma once
// Dates in response headers and cookies, in GMT.
#include <ctime>
#include <string>

#include "platform/vb/variant.h"

namespace asp {

// "Tue, 12 Mar 2024 08:00:00 GMT"
vb::String HttpDate(std::time_t when);
// "Tue, 12-Mar-2024 08:00:00 GMT", as cookie expiry dates are written.
vb::String CookieDate(std::time_t when);
// A VB date (server local time) as a point in time.
std::time_t TimeOfLocalDate(vb::Date date);

}  // namespace asp
