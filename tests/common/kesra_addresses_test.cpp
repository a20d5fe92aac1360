// The client address of a request and web addresses completed with a scheme.
#include <gtest/gtest.h>

#include "common/kesra_addresses.h"
#include "platform/asp/context.h"

namespace {

vb::String AddressOf(std::vector<std::pair<vb::String, vb::String>> headers, vb::String peer) {
  asp::Context context(asp::RequestSpec{.headers = std::move(headers), .remote_addr = std::move(peer)});
  vb::Variant request = context.Request();
  return qe::KesraGetIp(request);
}

TEST(KesraGetIp, ForwardedValueWinsOverThePeer) {
  EXPECT_EQ(AddressOf({}, u"192.168.1.20"), u"192.168.1.20");
  EXPECT_EQ(AddressOf({{u"X-Forwarded-For", u"10.0.0.7"}}, u"192.168.1.20"), u"10.0.0.7");
  EXPECT_EQ(AddressOf({{u"X-Forwarded-For", u"10.0.0.7, 172.16.0.1"}}, u"192.168.1.20"), u"10.0.0.7, 172.16.0.1");
  EXPECT_EQ(AddressOf({{u"X-Forwarded-For", u""}}, u"192.168.1.20"), u"192.168.1.20");
}

TEST(KesraGetFullUrl, SchemeAddedUnlessPresent) {
  struct {
    const char16_t* url;
    const char16_t* http;
    const char16_t* expected;
  } cases[] = {
      {u"HTTPS://Example.org/a", u"http://", u"HTTPS://Example.org/a"},
      {u"Http://x/y", u"http://", u"Http://x/y"},
      {u"a/b", u"http://", u"http://a/b"},
      {u"/a", u"", u"/a"},
      {u"www.x.cn", u"https://", u"https://www.x.cn"},
      {u"ftp://x", u"http://", u"http://ftp://x"},
      {u"http:/x", u"http://", u"http://http:/x"},
      {u"", u"http://", u"http://"},
  };
  for (const auto& c : cases) EXPECT_EQ(qe::KesraGetFullUrl(c.url, c.http), c.expected) << vb::ToUtf8(c.url);
  EXPECT_EQ(qe::KesraGetFullUrl(u"a"), u"http://a");
}

}  // namespace
