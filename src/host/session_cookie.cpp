#include "host/session_cookie.h"

#include <algorithm>
#include <random>
#include <string_view>

#include "platform/asp/request.h"
#include "platform/asp/url_encoding.h"
#include "platform/vb/strings.h"

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
  const std::vector<std::string> others = OtherSpellings(request);
  const bool repeated = asp::ParseCookies(request)->Values(vb::FromUtf8(name_)).size() > 1;
  if (others.empty() && !repeated) return removals;
  const std::string path = request.target.substr(0, request.target.find('?'));
  // A path that could end the attribute is not written into one.
  const bool plain_path = path.find_first_of(";, \t\"") == std::string::npos;
  auto remove = [&](const std::string& name, const std::string& at) {
    removals.push_back(name + "=; path=" + at + "; expires=Thu, 01 Jan 1970 00:00:00 GMT; Max-Age=0");
  };
  // Each folder above the page, written with and without its last "/", and
  // the page itself.
  auto remove_above = [&](const std::string& name) {
    if (!plain_path) return;
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
      remove(name, path.substr(0, slash));
      remove(name, path.substr(0, slash + 1));
    }
    if (path.size() > 1 && path.back() != '/') remove(name, path);
  };
  for (const std::string& other : others) {
    remove(other, "/");
    remove_above(other);
  }
  if (repeated) remove_above(name_);
  return removals;
}

std::vector<std::string> SessionCookie::OtherSpellings(const asp::RequestInfo& request) const {
  std::vector<std::string> names;
  const vb::String ours = vb::FromUtf8(name_);
  for (const auto& [header, value] : request.headers) {
    if (!vb::EqualsNoCase(vb::FromUtf8(header), u"Cookie")) continue;
    for (size_t start = 0; start < value.size();) {
      const size_t end = std::min(value.find(';', start), value.size());
      std::string_view piece = std::string_view(value).substr(start, end - start);
      start = end + 1;
      piece = piece.substr(0, piece.find('='));
      while (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t')) piece.remove_prefix(1);
      while (!piece.empty() && (piece.back() == ' ' || piece.back() == '\t')) piece.remove_suffix(1);
      const std::string name(piece);
      // Read as the Cookies collection reads it; only letters, digits and
      // escapes are written back into a header.
      if (name == name_ || !vb::EqualsNoCase(asp::UrlDecode(name), ours)) continue;
      if (name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789%") != std::string::npos)
        continue;
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
  }
  return names;
}

}  // namespace host
