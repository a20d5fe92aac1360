#pragma once
// Which peers a fetch made for a page may connect to: only addresses that are
// reachable on the public internet and do not belong to this host. Refused
// are the special-purpose ranges that IANA's registries mark as not globally
// reachable (IPv4 and IPv6), multicast and reserved space, every IPv6 form
// that embeds an IPv4 address when the embedded one is refused (mapped,
// translated, compatible, NAT64's well-known prefix, 6to4, Teredo), and every
// address the host holds on an interface at the time of the check.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

struct sockaddr;

namespace net {

// The addresses on this host's interfaces: IPv4 in host byte order, IPv6 as
// their 16 bytes.
struct HostAddresses {
  std::vector<uint32_t> v4;
  std::vector<std::array<uint8_t, 16>> v6;
};

// Reads the interfaces now (getifaddrs); nullopt when they cannot be read.
std::optional<HostAddresses> ReadHostAddresses();

// True for an address outside the public internet (see above), for a family
// other than IPv4 and IPv6, and for an address in `host`.
bool IsRefusedPeer(const sockaddr* address, const HostAddresses& host);

// The same against the interfaces as they are now; every address is refused
// when they cannot be read.
bool IsRefusedPeer(const sockaddr* address);

}  // namespace net
