#include "host/session_cookie.h"

#include <algorithm>
#include <random>
#include <string_view>

#include "platform/asp/request.h"
#include "platform/asp/url_encoding.h"
#include "platform/vb/strings.h"

namespace host {
namespace {

// What a Set-Cookie field adds to its value: "Set-Cookie: " and the line's end.
constexpr size_t kFieldBytes = 14;

std::string Removal(std::string_view name, std::string_view path, std::string_view domain = {}) {
  std::string removal = std::string(name).append("=; path=").append(path);
  if (!domain.empty()) removal.append("; domain=").append(domain);
  return removal.append("; expires=Thu, 01 Jan 1970 00:00:00 GMT; Max-Age=0");
}

// The paths a cookie sent with a request for `path` may have been set for,
// but "/", to `visit` until it returns false: each folder above the page,
// written with and without its last "/", and the page itself. None for a
// path that could end the attribute.
template <typename Visit>
void VisitPathsAbove(std::string_view path, Visit visit) {
  if (path.find_first_of(";, \t\"") != std::string_view::npos || !path.starts_with('/')) return;
  for (size_t slash = path.find('/', 1); slash != std::string_view::npos; slash = path.find('/', slash + 1))
    if (!visit(path.substr(0, slash)) || !visit(path.substr(0, slash + 1))) return;
  if (path.size() > 1 && path.back() != '/') visit(path);
}

}  // namespace

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
  const std::string_view path = std::string_view(request.target).substr(0, request.target.find('?'));
  auto remove_above = [&](const std::string& name) {
    VisitPathsAbove(path, [&](std::string_view above) {
      removals.push_back(Removal(name, above));
      return true;
    });
  };
  for (const std::string& other : others) {
    removals.push_back(Removal(other, "/"));
    remove_above(other);
  }
  if (repeated) remove_above(name_);
  return removals;
}

std::vector<std::string> SessionCookie::CarriedRemovals(const CarriedCookies& carried, size_t max_bytes) const {
  std::vector<std::string> removals;
  size_t bytes = 0;
  // The name for the host alone or for a domain, at "/" (unless `root` is
  // false) and every path above the target's; false once there is no room.
  auto remove = [&](const std::string& name, const std::string& domain, bool root) {
    bool room = true;
    auto add = [&](std::string_view path) {
      std::string removal = Removal(name, path, domain);
      bytes += removal.size() + kFieldBytes;
      if (bytes > max_bytes) return room = false;
      removals.push_back(std::move(removal));
      return true;
    };
    if (root) add("/");
    if (room) VisitPathsAbove(carried.path, add);
    return room;
  };
  auto remove_everywhere = [&](const std::string& name, bool root) {
    if (!remove(name, {}, root)) return false;
    for (const std::string& domain : carried.domains)
      if (!remove(name, domain, true)) return false;
    return true;
  };
  bool ours = false;
  for (const std::string& name : carried.names) {
    if (name == name_) ours = true;
    else if (!remove_everywhere(name, true)) return removals;
  }
  // Ours is set for the host alone at "/": any other is a copy.
  if (ours) remove_everywhere(name_, false);
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
