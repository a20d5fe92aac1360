// Which peers a fetch may connect to: each special-purpose range refused at
// both ends and its public neighbours allowed, each IPv6 form embedding an
// IPv4 address judged by that address, and the host's own addresses refused.
#include "platform/net/public_address.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

sockaddr_storage Parse(const std::string& text) {
  sockaddr_storage storage{};
  if (text.find(':') == std::string::npos) {
    storage.ss_family = AF_INET;
    EXPECT_EQ(inet_pton(AF_INET, text.c_str(), &reinterpret_cast<sockaddr_in*>(&storage)->sin_addr), 1) << text;
  } else {
    storage.ss_family = AF_INET6;
    EXPECT_EQ(inet_pton(AF_INET6, text.c_str(), &reinterpret_cast<sockaddr_in6*>(&storage)->sin6_addr), 1) << text;
  }
  return storage;
}

bool Refused(const std::string& text, const net::HostAddresses& host = {}) {
  sockaddr_storage storage = Parse(text);
  return net::IsRefusedPeer(reinterpret_cast<sockaddr*>(&storage), host);
}

// A range: addresses inside it (its ends), and public addresses just outside.
struct Range {
  const char* name;
  std::vector<std::string> inside, outside;
};

void ExpectRanges(const std::vector<Range>& ranges) {
  for (const Range& range : ranges) {
    SCOPED_TRACE(range.name);
    for (const std::string& address : range.inside) EXPECT_TRUE(Refused(address)) << address;
    for (const std::string& address : range.outside) EXPECT_FALSE(Refused(address)) << address;
  }
}

TEST(PublicAddressTest, EachIpv4RangeThatIsNotGloballyReachableIsRefusedAndItsNeighboursAreNot) {
  ExpectRanges({
      {"0.0.0.0/8", {"0.0.0.0", "0.255.255.255"}, {"1.0.0.0"}},
      {"10.0.0.0/8", {"10.0.0.0", "10.255.255.255"}, {"9.255.255.255", "11.0.0.0"}},
      {"100.64.0.0/10", {"100.64.0.0", "100.127.255.255"}, {"100.63.255.255", "100.128.0.0"}},
      {"127.0.0.0/8", {"127.0.0.1", "127.255.255.255"}, {"126.255.255.255", "128.0.0.0"}},
      {"169.254.0.0/16", {"169.254.0.0", "169.254.169.254"}, {"169.253.255.255", "169.255.0.0"}},
      {"172.16.0.0/12", {"172.16.0.0", "172.31.255.255"}, {"172.15.255.255", "172.32.0.0"}},
      {"192.0.0.0/24",
       {"192.0.0.0", "192.0.0.8", "192.0.0.9", "192.0.0.170", "192.0.0.255"},
       {"191.255.255.255", "192.0.1.0"}},
      {"192.0.2.0/24", {"192.0.2.0", "192.0.2.2", "192.0.2.255"}, {"192.0.1.255", "192.0.3.0"}},
      {"192.88.99.0/24", {"192.88.99.0", "192.88.99.255"}, {"192.88.98.255", "192.88.100.0"}},
      {"192.168.0.0/16", {"192.168.0.0", "192.168.255.255"}, {"192.167.255.255", "192.169.0.0"}},
      {"198.18.0.0/15", {"198.18.0.0", "198.19.255.255"}, {"198.17.255.255", "198.20.0.0"}},
      {"198.51.100.0/24", {"198.51.100.0", "198.51.100.255"}, {"198.51.99.255", "198.51.101.0"}},
      {"203.0.113.0/24", {"203.0.113.0", "203.0.113.255"}, {"203.0.112.255", "203.0.114.0"}},
      {"224.0.0.0/4 multicast", {"224.0.0.1", "239.255.255.255"}, {"223.255.255.255"}},
      {"240.0.0.0/4 reserved", {"240.0.0.0", "255.255.255.255"}, {}},
      // Globally reachable entries of the registry stay allowed.
      {"AS112 and AMT", {}, {"192.31.196.1", "192.52.193.1", "192.175.48.1"}},
  });
}

TEST(PublicAddressTest, EachIpv6RangeThatIsNotGloballyReachableIsRefusedAndItsNeighboursAreNot) {
  ExpectRanges({
      {"::/128 and ::1/128", {"::", "::1"}, {}},
      {"64:ff9b:1::/48", {"64:ff9b:1::", "64:ff9b:1:ffff:ffff:ffff:ffff:ffff"}, {}},
      {"100::/64", {"100::", "100::ffff:ffff:ffff:ffff"}, {}},
      {"100:0:0:1::/64", {"100:0:0:1::", "100::1:ffff:ffff:ffff:ffff"}, {}},
      {"2001::/23",
       {"2001:1::1", "2001:1::2", "2001:2::1", "2001:3::1", "2001:20::1", "2001:1ff:ffff::1"},
       {"2001:200::1", "2000:ffff::1"}},
      {"2001:db8::/32", {"2001:db8::", "2001:db8:ffff:ffff:ffff:ffff:ffff:ffff"}, {"2001:db7:ffff::1", "2001:db9::"}},
      {"3fff::/20", {"3fff::", "3fff:fff:ffff::1"}, {"3ffe:ffff::1", "3fff:1000::"}},
      {"5f00::/16", {"5f00::", "5f00:ffff::1"}, {}},
      {"fc00::/7", {"fc00::", "fd00::2", "fdff:ffff::1"}, {}},
      {"fe80::/10", {"fe80::1", "febf:ffff::1"}, {}},
      {"fec0::/10", {"fec0::1", "feff:ffff::1"}, {}},
      {"ff00::/8", {"ff02::1", "ffff::1"}, {}},
      {"outside 2000::/3", {"1fff:ffff::1", "4000::1", "e000::1"}, {"2000::1", "3ffe::1"}},
      {"AS112 (globally reachable)", {}, {"2620:4f:8000::1", "2606:4700:4700::1111"}},
  });
}

TEST(PublicAddressTest, AnIpv6FormThatEmbedsAnIpv4AddressIsJudgedByIt) {
  struct Form {
    const char* name;
    std::string refused, allowed;
  };
  for (const Form& form : std::vector<Form>{
           {"mapped", "::ffff:192.0.2.2", "::ffff:8.8.8.8"},
           {"translated", "::ffff:0:10.0.0.1", "::ffff:0:8.8.8.8"},
           {"compatible", "::192.168.1.1", "::8.8.8.8"},
           {"NAT64 well-known prefix", "64:ff9b::10.1.2.3", "64:ff9b::8.8.8.8"},
           {"6to4", "2002:c000:0202::1", "2002:0808:0808::1"},
           {"6to4 private", "2002:0a00:0001:1::1", "2002:0101:0101:1::1"},
           // Teredo: the server's address, then the client's with its bits inverted.
           {"Teredo client", "2001:0:4136:e378:8000:63bf:3fff:fdd2", "2001:0:4136:e378:8000:63bf:f7f7:f7f7"},
           {"Teredo server", "2001:0:0a00:0001:8000:63bf:f7f7:f7f7", "2001:0:4136:e378::f7f7:f7f7"},
       }) {
    SCOPED_TRACE(form.name);
    EXPECT_TRUE(Refused(form.refused)) << form.refused;
    EXPECT_FALSE(Refused(form.allowed)) << form.allowed;
  }
}

TEST(PublicAddressTest, AnAddressTheHostHoldsIsRefusedInEveryFormThatReachesIt) {
  net::HostAddresses host;
  host.v4 = {(8u << 24) | (8u << 16) | (4u << 8) | 4u};
  sockaddr_storage v6 = Parse("2606:4700::1111");
  std::array<uint8_t, 16> bytes;
  std::copy_n(reinterpret_cast<sockaddr_in6*>(&v6)->sin6_addr.s6_addr, 16, bytes.begin());
  host.v6 = {bytes};
  for (const char* address : {"8.8.4.4", "::ffff:8.8.4.4", "64:ff9b::8.8.4.4", "2002:0808:0404::1", "2606:4700::1111"})
    EXPECT_TRUE(Refused(address, host)) << address;
  for (const char* address : {"8.8.4.5", "2606:4700::1112"}) EXPECT_FALSE(Refused(address, host)) << address;
}

TEST(PublicAddressTest, TheInterfacesAreReadAndEachOfTheirAddressesIsRefused) {
  const std::optional<net::HostAddresses> host = net::ReadHostAddresses();
  ASSERT_TRUE(host);
  EXPECT_NE(std::find(host->v4.begin(), host->v4.end(), 0x7F000001u), host->v4.end());
  for (uint32_t v4 : host->v4) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(v4);
    EXPECT_TRUE(net::IsRefusedPeer(reinterpret_cast<sockaddr*>(&address))) << std::hex << v4;
  }
  for (const auto& v6 : host->v6) {
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    std::copy(v6.begin(), v6.end(), address.sin6_addr.s6_addr);
    EXPECT_TRUE(net::IsRefusedPeer(reinterpret_cast<sockaddr*>(&address)));
  }
}

}  // namespace
