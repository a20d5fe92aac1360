#pragma once
// The server's own answer to an address that leads nowhere: a page of the
// site that says so and offers the way on, as the site's other pages end.
#include <string>

namespace host {

// The whole 404 answer: head and, unless `head_only` (HEAD), the page in the
// server's code page. `close` adds "Connection: close".
std::string NotFoundAnswer(bool close, bool head_only = false);

}  // namespace host
