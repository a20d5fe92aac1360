#pragma once
// The cookie that carries a visitor's session, named as the web server names
// it: "ASPSESSIONID" and eight letters chosen when the server starts, so the
// cookies of an earlier run (whose sessions are gone) are not read. Cookies
// are read as Request.Cookies reads them.
#include <string>

#include "platform/asp/request_info.h"

namespace host {

class SessionCookie {
 public:
  SessionCookie();
  explicit SessionCookie(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  // The session token in the request's Cookie headers; "" when there is none.
  std::string TokenIn(const asp::RequestInfo& request) const;
  // The Set-Cookie value that gives a browser its session: for this site's
  // pages only (HttpOnly), and not sent with another site's cross-site posts
  // (SameSite=Lax).
  std::string SetCookie(const std::string& token) const;

 private:
  std::string name_;
};

}  // namespace host
