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
  return tokens.empty() ? std::string() : vb::ToUtf8(tokens.front());
}

std::string SessionCookie::SetCookie(const std::string& token) const {
  return name_ + "=" + token + "; path=/; HttpOnly; SameSite=Lax";
}

}  // namespace host
