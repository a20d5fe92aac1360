#include "platform/net/public_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace net {

namespace {

struct Ipv4Range {
  uint32_t prefix;
  int bits;
};

constexpr uint32_t V4(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  return (uint32_t{a} << 24) | (uint32_t{b} << 16) | (uint32_t{c} << 8) | d;
}

// IANA's IPv4 special-purpose registry, the entries not globally reachable,
// then multicast and the reserved space. The registry marks two anycast
// addresses inside 192.0.0.0/24 as reachable; they are protocol services,
// never a server of pictures, so the whole block is refused.
constexpr Ipv4Range kRefusedIpv4[] = {
    {V4(0, 0, 0, 0), 8},        // "this network", 0.0.0.0 included
    {V4(10, 0, 0, 0), 8},       // private use
    {V4(100, 64, 0, 0), 10},    // shared address space (carrier-grade NAT)
    {V4(127, 0, 0, 0), 8},      // loopback
    {V4(169, 254, 0, 0), 16},   // link-local
    {V4(172, 16, 0, 0), 12},    // private use
    {V4(192, 0, 0, 0), 24},     // IETF protocol assignments
    {V4(192, 0, 2, 0), 24},     // documentation (TEST-NET-1)
    {V4(192, 88, 99, 0), 24},   // 6to4 relay anycast, deprecated
    {V4(192, 168, 0, 0), 16},   // private use
    {V4(198, 18, 0, 0), 15},    // benchmarking
    {V4(198, 51, 100, 0), 24},  // documentation (TEST-NET-2)
    {V4(203, 0, 113, 0), 24},   // documentation (TEST-NET-3)
    {V4(224, 0, 0, 0), 4},      // multicast
    {V4(240, 0, 0, 0), 4},      // reserved, limited broadcast included
};

using Bytes16 = std::array<uint8_t, 16>;

struct Ipv6Range {
  Bytes16 prefix;
  int bits;
};

// IANA's IPv6 special-purpose registry, the entries not globally reachable
// and not judged by an embedded IPv4 address, then the deprecated site-local
// block and multicast. As with 192.0.0.0/24, the whole IETF block 2001::/23 is
// refused, its anycast services and identifier prefixes included; Teredo
// inside it is judged by the addresses it embeds.
constexpr Ipv6Range kRefusedIpv6[] = {
    {{0x00, 0x64, 0xff, 0x9b, 0x00, 0x01}, 48},  // local-use IPv4/IPv6 translation
    {{0x01, 0x00}, 64},                          // discard-only
    {{0x01, 0x00, 0, 0, 0, 0, 0, 0x01}, 64},     // dummy prefix
    {{0x20, 0x01}, 23},                          // IETF protocol assignments
    {{0x20, 0x01, 0x0d, 0xb8}, 32},              // documentation
    {{0x3f, 0xff}, 20},                          // documentation
    {{0x5f, 0x00}, 16},                          // segment routing identifiers
    {{0xfc, 0x00}, 7},                           // unique-local
    {{0xfe, 0x80}, 10},                          // link-local
    {{0xfe, 0xc0}, 10},                          // site-local, deprecated
    {{0xff, 0x00}, 8},                           // multicast
};

bool InIpv4Range(uint32_t address, const Ipv4Range& range) {
  const uint32_t mask = range.bits == 0 ? 0 : ~uint32_t{0} << (32 - range.bits);
  return (address & mask) == (range.prefix & mask);
}

bool InIpv6Range(const Bytes16& address, const Ipv6Range& range) {
  const int whole = range.bits / 8, rest = range.bits % 8;
  if (std::memcmp(address.data(), range.prefix.data(), whole) != 0) return false;
  if (rest == 0) return true;
  const uint8_t mask = static_cast<uint8_t>(0xFF << (8 - rest));
  return (address[whole] & mask) == (range.prefix[whole] & mask);
}

bool StartsWith(const Bytes16& address, std::initializer_list<uint8_t> prefix) {
  return std::equal(prefix.begin(), prefix.end(), address.begin());
}

uint32_t Ipv4At(const Bytes16& address, size_t at) {
  return (uint32_t{address[at]} << 24) | (uint32_t{address[at + 1]} << 16) | (uint32_t{address[at + 2]} << 8) |
         address[at + 3];
}

bool IsRefusedIpv4(uint32_t address, const HostAddresses& host) {
  return std::any_of(std::begin(kRefusedIpv4), std::end(kRefusedIpv4),
                     [&](const Ipv4Range& range) { return InIpv4Range(address, range); }) ||
         std::find(host.v4.begin(), host.v4.end(), address) != host.v4.end();
}

// The IPv4 addresses an IPv6 address stands for, when it is one of the forms
// that carry one; traffic to it reaches (or comes from) those.
std::vector<uint32_t> EmbeddedIpv4(const Bytes16& a) {
  const bool zero_to_8 = StartsWith(a, {0, 0, 0, 0, 0, 0, 0, 0});
  if (zero_to_8 && a[8] == 0 && a[9] == 0 && ((a[10] == 0xff && a[11] == 0xff) || (a[10] == 0 && a[11] == 0)))
    return {Ipv4At(a, 12)};  // mapped ::ffff:a.b.c.d, compatible ::a.b.c.d (:: and ::1 fall in 0/8)
  if (zero_to_8 && a[8] == 0xff && a[9] == 0xff && a[10] == 0 && a[11] == 0)
    return {Ipv4At(a, 12)};  // translated ::ffff:0:a.b.c.d
  if (StartsWith(a, {0x00, 0x64, 0xff, 0x9b, 0, 0, 0, 0, 0, 0, 0, 0})) return {Ipv4At(a, 12)};  // NAT64
  if (StartsWith(a, {0x20, 0x02})) return {Ipv4At(a, 2)};                                       // 6to4
  if (StartsWith(a, {0x20, 0x01, 0x00, 0x00}))  // Teredo: its server, and its client stored inverted
    return {Ipv4At(a, 4), ~Ipv4At(a, 12)};
  return {};
}

bool IsRefusedIpv6(const Bytes16& address, const HostAddresses& host) {
  if (std::find(host.v6.begin(), host.v6.end(), address) != host.v6.end()) return true;
  const std::vector<uint32_t> embedded = EmbeddedIpv4(address);
  if (!embedded.empty())
    return std::any_of(embedded.begin(), embedded.end(), [&](uint32_t v4) { return IsRefusedIpv4(v4, host); });
  // Outside 2000::/3 nothing is global unicast.
  if ((address[0] & 0xE0) != 0x20) return true;
  return std::any_of(std::begin(kRefusedIpv6), std::end(kRefusedIpv6),
                     [&](const Ipv6Range& range) { return InIpv6Range(address, range); });
}

Bytes16 BytesOf(const in6_addr& address) {
  Bytes16 bytes;
  std::memcpy(bytes.data(), address.s6_addr, bytes.size());
  return bytes;
}

}  // namespace

std::optional<HostAddresses> ReadHostAddresses() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return std::nullopt;
  std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> owner(list, &::freeifaddrs);
  HostAddresses host;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr) continue;
    if (entry->ifa_addr->sa_family == AF_INET)
      host.v4.push_back(ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr));
    else if (entry->ifa_addr->sa_family == AF_INET6)
      host.v6.push_back(BytesOf(reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr));
  }
  return host;
}

bool IsRefusedPeer(const sockaddr* address, const HostAddresses& host) {
  if (address->sa_family == AF_INET)
    return IsRefusedIpv4(ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr), host);
  if (address->sa_family == AF_INET6)
    return IsRefusedIpv6(BytesOf(reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr), host);
  return true;
}

bool IsRefusedPeer(const sockaddr* address) {
  const std::optional<HostAddresses> host = ReadHostAddresses();
  return !host || IsRefusedPeer(address, *host);
}

}  // namespace net
