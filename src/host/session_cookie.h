#pragma once
// The cookie that carries a visitor's session, named as the web server names
// it: "ASPSESSIONID" and eight letters chosen when the server starts, so the
// cookies of an earlier run (whose sessions are gone) are not read. Cookies
// are read as Request.Cookies reads them.
#include <string>
#include <vector>

#include "host/carried_cookies.h"
#include "platform/asp/request_info.h"

namespace host {

class SessionCookie {
 public:
  SessionCookie();
  explicit SessionCookie(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  // The session token in the request's Cookie headers; "" when there is none
  // or when the name comes more than once (then a new session starts).
  std::string TokenIn(const asp::RequestInfo& request) const;
  // The Set-Cookie value that gives a browser its session: for this site's
  // pages only (HttpOnly), and not sent with another site's cross-site posts
  // (SameSite=Lax).
  std::string SetCookie(const std::string& token) const;
  // The Set-Cookie values that leave the browser only our own cookie, which
  // it sends for "/" under the exact name we set. Every other spelling of the
  // name (another letter case, percent-escapes: another port of this host
  // could have set one, and it counts as ours) is removed for "/" and every
  // path above the target's; our own name, when the request carries it more
  // than once, for every path above the target's but "/". None otherwise.
  // Given with every answer, a login's included, so that the renewed session
  // is the only one the browser sends next.
  std::vector<std::string> ShadowRemovals(const asp::RequestInfo& request) const;
  // The Set-Cookie values that remove the cookies a head too large to be
  // taken carried, so that the browser's next request fits: each for "/" and
  // every path above its target's, for the host alone and for each domain of
  // it; ours last, and kept where we set it (for the host alone at "/": only
  // a copy set elsewhere goes, and ours is short). At most `max_bytes` of them
  // (Chromium drops an answer whose head passes 256 KiB; the default is the
  // head's limit); what is left out goes with the next refusal.
  std::vector<std::string> CarriedRemovals(const CarriedCookies& carried, size_t max_bytes = 64 * 1024) const;

 private:
  // The names of the request's cookies that read as ours but are spelt
  // otherwise, as the browser holds them.
  std::vector<std::string> OtherSpellings(const asp::RequestInfo& request) const;

  std::string name_;
};

}  // namespace host
