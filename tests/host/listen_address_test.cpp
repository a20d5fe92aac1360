#include "host/listen_address.h"

#include <gtest/gtest.h>

namespace {

TEST(ListenAddress, ReadsHostAndPort) {
  struct Case {
    std::string_view text;
    std::string host;
    int port;
  };
  for (const Case& c : std::initializer_list<Case>{{"127.0.0.1:8080", "127.0.0.1", 8080},
                                                   {"[::1]:80", "::1", 80},
                                                   {":8080", "0.0.0.0", 8080},
                                                   {"localhost:0", "localhost", 0},
                                                   {"h:65535", "h", 65535}}) {
    auto address = host::ParseListenAddress(c.text);
    ASSERT_TRUE(address) << c.text;
    EXPECT_EQ(address->host, c.host);
    EXPECT_EQ(address->port, c.port);
  }
  for (std::string_view text : {"8080", "host", "host:", "host:65536", "host:-1", "host:80x", "[::1]"})
    EXPECT_FALSE(host::ParseListenAddress(text)) << text;
}

TEST(ListenAddress, WritesAnAddressAsAUrl) {
  EXPECT_EQ(host::AddressUrl("127.0.0.1", 8080), "http://127.0.0.1:8080/");
  EXPECT_EQ(host::AddressUrl("::1", 80), "http://[::1]:80/");
}

}  // namespace
