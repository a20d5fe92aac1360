// The host names a server answers: what a Host field names, and the names
// `qe serve` answers when it is not told.
#include "host/host_names.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(HostNames, AHostIsServedOnlyByANameItWasGiven) {
  const std::vector<std::string> names = {"localhost", "127.0.0.1", "::1", "qe.school.example"};
  struct Case {
    const char* host;
    bool served;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"localhost:8080", true},
           {"LocalHost", true},
           {"localhost.:8080", true},            // the fully qualified spelling
           {"127.0.0.1:1", true},
           {"[::1]:8080", true},
           {"[0:0::1]", true},                    // the same address, spelled longer
           {"qe.school.example", true},
           {"rebind.example:8080", false},        // a name of someone else's that leads here
           {"localhost.rebind.example", false},
           {"127.0.0.2", false},
           {"", false},
           {":8080", false},
       })
    EXPECT_EQ(host::ServesHost(c.host, names), c.served) << c.host;
}

TEST(HostNames, TheDefaultsAreLocalhostTheListenAddressAndTheMachinesOwn) {
  std::vector<std::string> names = host::DefaultHostNames("10.1.2.3");
  for (const char* name : {"localhost", "127.0.0.1", "::1", "10.1.2.3"})
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  names = host::DefaultHostNames("0.0.0.0");
  EXPECT_EQ(std::find(names.begin(), names.end(), "0.0.0.0"), names.end());
  // Every IPv4 address of the machine's interfaces, as the kernel lists them
  // (a LAN address is what other machines ask for).
  int sock = ::socket(AF_INET, SOCK_DGRAM, 0);
  ifreq interfaces[64] = {};
  ifconf list{};
  list.ifc_len = sizeof interfaces;
  list.ifc_req = interfaces;
  ASSERT_EQ(::ioctl(sock, SIOCGIFCONF, &list), 0);
  ::close(sock);
  for (int i = 0; i < list.ifc_len / static_cast<int>(sizeof(ifreq)); ++i) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&interfaces[i].ifr_addr)->sin_addr, text, sizeof text);
    EXPECT_NE(std::find(names.begin(), names.end(), text), names.end()) << text;
  }
}

}  // namespace
