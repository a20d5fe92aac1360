#pragma once
// A visitor that keeps cookies as a browser keeps them for one host: each by
// its name, path and domain, sent with every request whose path it matches
// (longest path first, then oldest first, in one Cookie field), replaced or
// removed (Max-Age=0) by the Set-Cookie fields of each answer.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/http_client.h"

namespace host_test {

class CookieJarVisitor {
 public:
  explicit CookieJarVisitor(int port) : port_(port), client_(port) {}

  // A cookie as a page of another port of this host sets it.
  void Set(const std::string& name, const std::string& value, const std::string& path) { Keep({name, value, path, ""}); }

  std::optional<qe_test::HttpAnswer> Get(const std::string& target) { return Obey(target, client_.Get(target, Headers(target))); }
  // A form posted from the page `from` of this site.
  std::optional<qe_test::HttpAnswer> Post(const std::string& target, const std::string& form, const std::string& from) {
    qe_test::HttpHeaders headers = Headers(target);
    headers.emplace_back("Referer", "http://127.0.0.1:" + std::to_string(port_) + from);
    return Obey(target, client_.Post(target, form, "application/x-www-form-urlencoded", headers));
  }

 private:
  struct Cookie {
    std::string name, value, path, domain;
  };

  // RFC 6265, 5.1.4: the cookie's path is the request's, or a folder of it.
  static bool PathMatches(const std::string& cookie_path, std::string_view request_path) {
    if (!request_path.starts_with(cookie_path)) return false;
    return cookie_path.size() == request_path.size() || cookie_path.ends_with('/') ||
           request_path[cookie_path.size()] == '/';
  }
  qe_test::HttpHeaders Headers(const std::string& target) const {
    const std::string_view path = std::string_view(target).substr(0, target.find('?'));
    std::vector<const Cookie*> sent;
    for (const Cookie& cookie : cookies_)
      if (PathMatches(cookie.path, path)) sent.push_back(&cookie);
    std::stable_sort(sent.begin(), sent.end(), [](const Cookie* a, const Cookie* b) { return a->path.size() > b->path.size(); });
    std::string field;
    for (const Cookie* cookie : sent) field += (field.empty() ? "" : "; ") + cookie->name + "=" + cookie->value;
    if (field.empty()) return {};
    return {{"Cookie", field}};
  }
  // A new cookie goes last (the oldest first); Max-Age=0 removes one.
  void Keep(const Cookie& cookie, bool removal = false) {
    auto same = std::find_if(cookies_.begin(), cookies_.end(), [&](const Cookie& held) {
      return held.name == cookie.name && held.path == cookie.path && held.domain == cookie.domain;
    });
    if (removal) {
      if (same != cookies_.end()) cookies_.erase(same);
    } else if (same != cookies_.end()) {
      same->value = cookie.value;
    } else {
      cookies_.push_back(cookie);
    }
  }
  std::optional<qe_test::HttpAnswer> Obey(const std::string& target, std::optional<qe_test::HttpAnswer> answer) {
    if (!answer) return answer;
    for (const auto& [name, value] : answer->headers) {
      if (name != "Set-Cookie") continue;
      Cookie cookie;
      bool removal = false;
      std::string_view rest = value;
      for (bool first = true; !rest.empty(); first = false) {
        std::string_view part = rest.substr(0, rest.find(';'));
        rest = part.size() == rest.size() ? std::string_view() : rest.substr(part.size() + 1);
        while (part.starts_with(' ')) part.remove_prefix(1);
        const size_t equals = part.find('=');
        const std::string key(part.substr(0, equals));
        const std::string text(equals == std::string_view::npos ? std::string_view() : part.substr(equals + 1));
        if (first) cookie.name = key, cookie.value = text;
        else if (key == "path") cookie.path = text;
        else if (key == "domain") cookie.domain = text;
        else if (key == "Max-Age") removal = text == "0";
      }
      if (cookie.path.empty()) cookie.path = target.substr(0, target.rfind('/', target.find('?')) + 1);
      Keep(cookie, removal);
    }
    return answer;
  }

  int port_;
  qe_test::HttpClient client_;
  std::vector<Cookie> cookies_;
};

}  // namespace host_test
