#pragma once
// The one origin rule of the site: a request that changes something must come
// from a page of the site itself, named by the same host and port.
#include <optional>

#include "platform/vb/string.h"

namespace qe {

// A host and the port a browser reaches it on.
struct SiteAddress {
  vb::String host;  // as written: a name, an IPv4 address, or "[" IPv6 "]"
  int port = 0;
};

// The address of an "http://" or "https://" address (a Referer or an Origin):
// its host and its port, the scheme's default when none is written. Nothing
// for another scheme, user information ("a@b"), an empty host or a port that
// is not 1 to 65535 digits-only.
std::optional<SiteAddress> AddressOfUrl(vb::StringView url);

// The request's own address from its Host header ("name", "name:port",
// "[v6]:port"), the default port of its scheme when none is written.
std::optional<SiteAddress> AddressOfHost(vb::StringView host, bool secure);

// Same host, byte for byte (as the server names itself), and the same port.
bool SameAddress(const SiteAddress& a, const SiteAddress& b);

// False when the browser marks the request (its Sec-Fetch-Dest and
// Sec-Fetch-Site headers, empty when not sent) as the load of a picture,
// stylesheet, script, media or other part of a page, or as sent from another
// site: a page of the site that shows input must not make changes by showing it.
bool IsDeliberateRequest(vb::StringView fetch_dest, vb::StringView fetch_site);

}  // namespace qe
