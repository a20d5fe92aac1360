// Opening addresses against a loopback server that the test starts.
#include <gtest/gtest.h>

#include "platform/net/open_url.h"
#include "platform/net/remote_fetch.h"
#include "support/loopback_http_server.h"
#include "support/scoped_variable.h"

namespace {

using namespace std::chrono_literals;

vb::String Address(const std::string& url) { return vb::FromUtf8(url); }

TEST(OpenUrl, AnswersForEveryStatusTheServerGives) {
  net::TestFetchAllowance loopback;
  qe_test::LoopbackHttpServer server;
  for (long status : {200L, 404L, 500L}) {
    net::UrlAnswer answer = net::OpenUrl(Address(server.Url("/status/" + std::to_string(status))), "http");
    EXPECT_TRUE(answer.answered) << status << " " << answer.error;
    EXPECT_EQ(answer.status, status);
  }
  net::UrlAnswer redirected = net::OpenUrl(Address(server.Url("/redirect/201")), "http");
  EXPECT_EQ(redirected.status, 201);
}

TEST(OpenUrl, SendsAPlainGetWithTheAgent) {
  net::TestFetchAllowance loopback;
  qe_test::LoopbackHttpServer server;
  net::OpenUrl(Address(server.Url("/page.asp?a=1")), "http");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].rfind("GET /page.asp?a=1 HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(requests[0].find("\r\nUser-Agent: http\r\n"), std::string::npos);
}

TEST(OpenUrl, GivesUpOnSilenceAndOnNoServer) {
  net::TestFetchAllowance loopback;
  qe_test::LoopbackHttpServer server;
  auto started = std::chrono::steady_clock::now();
  net::UrlAnswer silent = net::OpenUrl(Address(server.Url("/silent")), "http", {1000ms, 300ms});
  EXPECT_FALSE(silent.answered);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
  int closed_port = server.Port();
  {
    qe_test::LoopbackHttpServer other;  // its port is free again once it stops
    closed_port = other.Port();
  }
  EXPECT_FALSE(net::OpenUrl(Address("http://127.0.0.1:" + std::to_string(closed_port) + "/"), "http").answered);
}

// A page's probe never reaches this host or a private network: the server
// listening on loopback is not even connected to without a test's allowance.
TEST(OpenUrl, OpensOnlyPublicAddresses) {
  qe_test::LoopbackHttpServer server;
  for (const std::string& address : {server.Url("/status/200"), std::string("http://10.0.0.1:1/"),
                                     std::string("http://[::ffff:127.0.0.1]:1/")}) {
    net::UrlAnswer answer = net::OpenUrl(Address(address), "http", {1000ms, 2000ms});
    EXPECT_FALSE(answer.answered) << address;
    EXPECT_EQ(answer.error, "the address is not a public one") << address;
  }
  EXPECT_TRUE(server.Requests().empty());
}

// A proxy would be the peer connected and the address asked for never
// checked: one named by the environment is not taken, even on loopback.
TEST(OpenUrl, NoFetchGoesThroughTheEnvironmentsProxy) {
  net::TestFetchAllowance loopback;
  qe_test::LoopbackHttpServer proxy;  // answers 200 for any address it is asked
  qe_test::ScopedVariable http_proxy("http_proxy", proxy.Url("/").c_str());
  qe_test::ScopedVariable no_proxy("no_proxy", nullptr), no_proxy_upper("NO_PROXY", nullptr);
  EXPECT_EQ(net::Fetch(u"http://10.0.0.1:1/").error, "the address is not a public one");
  EXPECT_EQ(net::OpenUrl(u"http://10.0.0.1:1/", "http").error, "the address is not a public one");
  EXPECT_TRUE(proxy.Requests().empty());
}

TEST(OpenUrl, OpensOnlyNetworkAddresses) {
  EXPECT_FALSE(net::OpenUrl(u"file:///etc/passwd", "http").answered);
  EXPECT_FALSE(net::OpenUrl(u"not an address", "http").answered);
  EXPECT_FALSE(net::OpenUrl(u"", "http").answered);
}

}  // namespace
