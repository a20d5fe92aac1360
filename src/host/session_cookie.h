#pragma once
// The cookie that carries a visitor's session, named as the web server names
// it: "ASPSESSIONID" and eight letters chosen when the server starts, so the
// cookies of an earlier run (whose sessions are gone) are not read. Cookies
// are read as Request.Cookies reads them.
#include <string>
#include <vector>

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
  // When the request carries the name more than once: the Set-Cookie values
  // that remove it for every path above the target's but "/" (where another
  // port of this host could have set it for our pages), so that the browser
  // sends our own again. None otherwise.
  std::vector<std::string> ShadowRemovals(const asp::RequestInfo& request) const;

 private:
  std::string name_;
};

}  // namespace host
