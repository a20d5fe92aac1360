#pragma once
// One page run for one HTTP request: the request bound to the five objects,
// the visitor's session found by its cookie, the page run on this thread, its
// response going to the sink as the page sends it.
#include <memory>

#include "host/pages.h"
#include "host/session_cookie.h"
#include "platform/asp/application.h"
#include "platform/asp/body_source.h"
#include "platform/asp/request_info.h"
#include "platform/asp/response_sink.h"
#include "platform/asp/session.h"

namespace host {

// What every request of the site shares.
struct SiteState {
  std::shared_ptr<asp::SessionStore> sessions = std::make_shared<asp::MemorySessionStore>();
  std::shared_ptr<asp::ApplicationState> application = std::make_shared<asp::ApplicationState>();
  SessionCookie cookie;
};

// Whether the request's session cookie names a live session a user logged
// in to (one that holds UserInfo), before any page runs; the pages check the
// account themselves.
bool RequestOfLoggedInUser(SiteState& site, const asp::HeaderList& fields);

// Runs the page to its end (or to a call that ended the response). A request
// without a live session gets a new one; the session is kept, and its cookie
// sent with the head, only when the page stored something in it or read its
// SessionID before the head went out, so visitors that never use a session
// (and clients that send no cookies) leave nothing behind and push nobody
// out. A session renewed during the request sends its new cookie the same way. A run-time error stops the page with
// "500 Internal Server Error" ("413 Payload Too Large" when the page read a
// body past the server's limits) and the error's number and description
// (after what was sent, when the head is gone).
void RunPage(PageFunction page, SiteState& site, asp::RequestInfo request, std::unique_ptr<asp::BodySource> body,
             std::shared_ptr<asp::ResponseSink> sink);

}  // namespace host
