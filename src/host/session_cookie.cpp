#include "host/session_cookie.h"

#include <random>
#include <string_view>

namespace host {
namespace {

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
  return true;
}

}  // namespace

SessionCookie::SessionCookie() : name_("ASPSESSIONID") {
  std::random_device random;
  for (int i = 0; i < 8; ++i) name_.push_back(static_cast<char>('A' + random() % 26));
}

std::string SessionCookie::TokenIn(const asp::RequestInfo& request) const {
  for (const auto& [header, value] : request.headers) {
    if (!SameLetters(header, "Cookie")) continue;
    std::string_view rest = value;
    while (!rest.empty()) {
      size_t end = rest.find(';');
      std::string_view piece = Trimmed(rest.substr(0, end));
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
      size_t eq = piece.find('=');
      if (eq != std::string_view::npos && SameLetters(Trimmed(piece.substr(0, eq)), name_))
        return std::string(Trimmed(piece.substr(eq + 1)));
    }
  }
  return {};
}

std::string SessionCookie::SetCookie(const std::string& token) const {
  return name_ + "=" + token + "; path=/; HttpOnly";
}

}  // namespace host
