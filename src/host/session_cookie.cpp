#include "host/session_cookie.h"

#include <random>

#include "platform/asp/request.h"

namespace host {

SessionCookie::SessionCookie() : name_("ASPSESSIONID") {
  std::random_device random;
  for (int i = 0; i < 8; ++i) name_.push_back(static_cast<char>('A' + random() % 26));
}

std::string SessionCookie::TokenIn(const asp::RequestInfo& request) const {
  std::vector<vb::String> tokens = asp::ParseCookies(request)->Values(vb::FromUtf8(name_));
  // Two cookies of the name: one may have been set for a narrower path from
  // another port of this host, and nothing tells which is ours.
  return tokens.size() != 1 ? std::string() : vb::ToUtf8(tokens.front());
}

std::string SessionCookie::SetCookie(const std::string& token) const {
  return name_ + "=" + token + "; path=/; HttpOnly; SameSite=Lax";
}

std::vector<std::string> SessionCookie::ShadowRemovals(const asp::RequestInfo& request) const {
  std::vector<std::string> removals;
  if (asp::ParseCookies(request)->Values(vb::FromUtf8(name_)).size() < 2) return removals;
  const std::string path = request.target.substr(0, request.target.find('?'));
  // A path that could end the attribute is not written into one.
  if (path.find_first_of(";, \t\"") != std::string::npos) return removals;
  auto remove = [&](const std::string& at) {
    removals.push_back(name_ + "=; path=" + at + "; expires=Thu, 01 Jan 1970 00:00:00 GMT; Max-Age=0");
  };
  // Each folder above the page, written with and without its last "/", and
  // the page itself.
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    remove(path.substr(0, slash));
    remove(path.substr(0, slash + 1));
  }
  if (path.size() > 1 && path.back() != '/') remove(path);
  return removals;
}

}  // namespace host
