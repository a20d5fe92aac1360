#include "common/request_origin.h"

#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr int kHttpPort = 80;
constexpr int kHttpsPort = 443;

// "host" or "host:port" with a written port of 1 to 5 digits up to 65535.
std::optional<SiteAddress> SplitAuthority(vb::StringView authority, int default_port) {
  if (authority.empty() || authority.find(u'@') != vb::StringView::npos) return std::nullopt;
  size_t host_end;
  if (authority.front() == u'[') {
    host_end = authority.find(u']');
    if (host_end == vb::StringView::npos || host_end == 1) return std::nullopt;
    ++host_end;
  } else {
    host_end = std::min(authority.find(u':'), authority.size());
    if (host_end == 0) return std::nullopt;
  }
  SiteAddress address{vb::String(authority.substr(0, host_end)), default_port};
  vb::StringView rest = authority.substr(host_end);
  if (rest.empty()) return address;
  // "host:" with nothing after it is refused as it always was.
  if (rest.front() != u':' || rest.size() < 2 || rest.size() > 6) return std::nullopt;
  int port = 0;
  for (char16_t c : rest.substr(1)) {
    if (c < u'0' || c > u'9') return std::nullopt;
    port = port * 10 + (c - u'0');
  }
  if (port < 1 || port > 65535) return std::nullopt;
  address.port = port;
  return address;
}

}  // namespace

std::optional<SiteAddress> AddressOfUrl(vb::StringView url) {
  vb::String scheme = vb::AsciiLowerCopy(url.substr(0, 8));
  int default_port;
  vb::StringView rest;
  if (scheme.starts_with(u"http://")) {
    rest = url.substr(7);
    default_port = kHttpPort;
  } else if (scheme.starts_with(u"https://")) {
    rest = url.substr(8);
    default_port = kHttpsPort;
  } else {
    return std::nullopt;
  }
  return SplitAuthority(rest.substr(0, rest.find_first_of(u"/?#\\")), default_port);
}

std::optional<SiteAddress> AddressOfHost(vb::StringView host, bool secure) {
  return SplitAuthority(host, secure ? kHttpsPort : kHttpPort);
}

bool SameAddress(const SiteAddress& a, const SiteAddress& b) { return a.host == b.host && a.port == b.port; }

bool IsDeliberateRequest(vb::StringView fetch_dest, vb::StringView fetch_site) {
  const vb::String dest = vb::AsciiLowerCopy(vb::Trim(vb::String(fetch_dest)));
  const bool navigation_or_script_call =
      dest.empty() || dest == u"document" || dest == u"iframe" || dest == u"frame" || dest == u"empty";
  return navigation_or_script_call && vb::AsciiLowerCopy(vb::Trim(vb::String(fetch_site))) != u"cross-site";
}

}  // namespace qe
