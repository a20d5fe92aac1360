#pragma once
// A browser without scripts for tests of the site's pages under `qe serve`:
// keeps the cookies it is given and sends them back; answers decoded from
// code page 936 to UTF-8.
#include <map>
#include <optional>
#include <string>

#include "platform/text/ansi.h"
#include "platform/vb/string.h"
#include "support/http_client.h"

namespace host_test {

struct PageAnswer {
  int status = 0;
  std::string body;  // UTF-8
  std::string raw;   // the bytes as sent
  std::multimap<std::string, std::string> headers;
};

class Visitor {
 public:
  explicit Visitor(int port) : port_(port), client_(port) {}

  // A page opened from the page `from` (the Referer the request guards
  // check: a path of this site, or a whole address elsewhere), or typed in.
  PageAnswer Get(const std::string& target, const std::string& from = "") {
    return Keep(client_.Get(target, Headers(from)));
  }
  // A link followed from the page at `referer` (a whole address).
  PageAnswer GetFrom(const std::string& target, const std::string& referer) { return Get(target, referer); }
  PageAnswer Post(const std::string& target, const std::string& form, const std::string& from = "/qe/login.asp") {
    return Keep(client_.Post(target, form, "application/x-www-form-urlencoded", Headers(from)));
  }
  // A form posted from a page of another site.
  PageAnswer PostFromElsewhere(const std::string& target, const std::string& form) {
    return Keep(client_.Post(target, form, "application/x-www-form-urlencoded", Headers("http://elsewhere.example" + target)));
  }
  PageAnswer PostBody(const std::string& target, const std::string& body, const std::string& content_type,
                      const std::string& from) {
    return Keep(client_.Post(target, body, content_type, Headers(from)));
  }
  bool Holds(const std::string& name) const { return cookies_.count(name) > 0; }
  const std::map<std::string, std::string>& Cookies() const { return cookies_; }
  void SetCookie(const std::string& name, const std::string& value) { cookies_[name] = value; }

 private:
  qe_test::HttpHeaders Headers(const std::string& from) const {
    qe_test::HttpHeaders headers;
    std::string cookie;
    for (const auto& [name, value] : cookies_) cookie += (cookie.empty() ? "" : "; ") + name + "=" + value;
    if (!cookie.empty()) headers.emplace_back("Cookie", cookie);
    if (from.starts_with("http")) headers.emplace_back("Referer", from);
    else if (!from.empty()) headers.emplace_back("Referer", "http://127.0.0.1:" + std::to_string(port_) + from);
    return headers;
  }
  PageAnswer Keep(const std::optional<qe_test::HttpAnswer>& result) {
    PageAnswer answer;
    if (!result) return answer;
    answer.status = result->status;
    answer.raw = result->body;
    answer.body = vb::ToUtf8(text::DecodeAnsi(result->body));
    for (const auto& [name, value] : result->headers) {
      answer.headers.emplace(name, value);
      if (name != "Set-Cookie") continue;
      std::string pair = value.substr(0, value.find(';'));
      size_t eq = pair.find('=');
      cookies_[pair.substr(0, eq)] = pair.substr(eq + 1);
    }
    return answer;
  }
  int port_;
  qe_test::HttpClient client_;
  std::map<std::string, std::string> cookies_;
};

// The seeded administrator given `password` (it has none) and logged in
// with it: the Cookie field of its session.
inline std::string AdministratorCookies(int port, const std::string& password) {
  Visitor administrator(port);
  administrator.Post("/qe/login.asp", "UserName=tolva&PassWord=");
  administrator.Post("/qe/main/password.asp",
                     "OldPassWord=&NewPassWord=" + password + "&NewPassWord2=" + password, "/qe/main/password.asp");
  administrator.Post("/qe/login.asp", "UserName=tolva&PassWord=" + password);
  std::string cookies;
  for (const auto& [name, value] : administrator.Cookies()) cookies += (cookies.empty() ? "" : "; ") + name + "=" + value;
  return cookies;
}

}  // namespace host_test
