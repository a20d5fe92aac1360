#pragma once
// The client's network address, stored beside every record stamp, and web
// addresses completed with their scheme.
#include "platform/vb/variant.h"

namespace qe {

// The forwarded-for value when the request carries one (whole, unchecked:
// a proxy chain comes back as its list), else the peer address.
vb::String KesraGetIp(vb::Variant& Request);
// p_Url as it is when it begins with http:// or https:// (any case), else
// p_Http followed by p_Url.
vb::String KesraGetFullUrl(vb::String p_Url, vb::String p_Http = u"http://");

}  // namespace qe
