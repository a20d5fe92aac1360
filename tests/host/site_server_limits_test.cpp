// What slow, idle and too many clients get from the server, and what they
// cannot take from the others: page workers, connections beyond the limit,
// time without end.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "host/client_slots.h"
#include "host/in_process_server.h"
#include "host/raw_http.h"
#include "platform/com/object.h"
#include "support/temp_site.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

void Hello(host::Page& page) { com::Call(page.Response, u"Write", vb::String(u"hello")); }

void Echo(host::Page& page) {
  vb::Variant total = com::Call(page.Request, u"TotalBytes");
  com::Call(page.Response, u"BinaryWrite", com::Call(page.Request, u"BinaryRead", total));
}

class LimitsTest : public ::testing::Test {
 protected:
  void Start(host::ServerLimits limits) {
    host::Pages pages;
    pages.Register(u"/hello.asp", &Hello);
    pages.Register(u"/echo.asp", &Echo);
    server_ = std::make_unique<host_test::InProcessServer>(site_.SiteFolder(), std::move(pages), limits);
  }
  int Port() const { return server_->Port(); }

  // Sockets that stay open until the end of the test.
  std::vector<int> Open(int count) {
    std::vector<int> sockets;
    for (int i = 0; i < count; ++i) sockets.push_back(host_test::ConnectLoopback(Port()));
    held_.insert(held_.end(), sockets.begin(), sockets.end());
    return sockets;
  }
  void TearDown() override {
    for (int sock : held_)
      if (sock >= 0) ::close(sock);
  }

  qe_test::TempSite site_;
  std::unique_ptr<host_test::InProcessServer> server_;
  std::vector<int> held_;
};

TEST_F(LimitsTest, SlowClientsHoldNoPageWorker) {
  host::ServerLimits limits;
  limits.threads = 2;
  limits.max_connections_per_client = 1000;
  Start(limits);
  // 64 clients in the middle of their heads, and 64 in the middle of a body.
  for (int sock : Open(64)) host_test::SendAll(sock, "GET /hello.asp HTTP/1.1\r\nHost: a\r\nX-Slow: 1\r\n");
  for (int sock : Open(64)) host_test::SendAll(sock, "POST /echo.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 100\r\n\r\nab");
  std::this_thread::sleep_for(milliseconds(200));
  auto start = Clock::now();
  auto answer = server_->Client().Get("/hello.asp");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body, "hello");
  EXPECT_LT(Clock::now() - start, milliseconds(2000));
}

TEST_F(LimitsTest, PastTheConnectionLimitANewConnectionIsRefusedClearly) {
  // The server's limit, and one client's share of it.
  host::ServerLimits all, one_client;
  all.max_connections = 8;
  one_client.max_connections_per_client = 8;
  for (const host::ServerLimits& limits : {all, one_client}) {
    Start(limits);
    std::vector<int> idle = Open(8);
    std::this_thread::sleep_for(milliseconds(300));  // all accepted
    host_test::Received refused = host_test::Exchange(Port(), "GET /hello.asp HTTP/1.1\r\nHost: a\r\n\r\n", 2000);
    EXPECT_EQ(host_test::StatusOf(refused.bytes), 503) << refused.bytes;
    EXPECT_NE(refused.bytes.find("503 Service Unavailable\n"), std::string::npos);
    EXPECT_TRUE(refused.closed);

    for (int& sock : idle) {
      ::close(sock);
      held_.erase(std::find(held_.begin(), held_.end(), sock));
    }
    std::optional<qe_test::HttpAnswer> served;
    for (auto deadline = Clock::now() + std::chrono::seconds(5); Clock::now() < deadline;) {
      if ((served = server_->Client().Get("/hello.asp")) && served->status == 200) break;
      std::this_thread::sleep_for(milliseconds(20));
    }
    ASSERT_TRUE(served);
    EXPECT_EQ(served->body, "hello");
  }
}

TEST_F(LimitsTest, EachStepOfARequestHasItsTime) {
  host::ServerLimits limits;
  limits.idle_timeout = milliseconds(300);
  limits.head_timeout = milliseconds(300);
  limits.body_timeout = milliseconds(300);
  limits.request_timeout = milliseconds(1200);
  Start(limits);
  struct Case {
    const char* what;
    std::vector<std::string> pieces;  // sent 200 ms apart
    int status;                        // 0: closed without an answer
  };
  const std::vector<Case> cases = {
      {"a kept connection nobody uses", {}, 0},
      {"a head that never ends", {"GET /hello.asp HTTP/1.1\r\n", "Host: a\r\n"}, 408},
      {"a body that stops", {"POST /echo.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 10\r\n\r\nabc"}, 408},
      {"a body that trickles past the request's time",
       {"POST /echo.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 10\r\n\r\n", "a", "b", "c", "d", "e", "f", "g", "h"},
       408},
  };
  for (const Case& c : cases) {
    int sock = host_test::ConnectLoopback(Port());
    auto start = Clock::now();
    for (const std::string& piece : c.pieces) {
      if (!host_test::SendAll(sock, piece)) break;
      std::this_thread::sleep_for(milliseconds(200));
    }
    host_test::Received received = host_test::ReadUntilClosed(sock, 5000);
    ::close(sock);
    EXPECT_TRUE(received.closed) << c.what;
    EXPECT_EQ(host_test::StatusOf(received.bytes), c.status) << c.what << "\n" << received.bytes;
    EXPECT_LT(Clock::now() - start, milliseconds(4000)) << c.what;
  }
  // A kept connection is closed once it idled, not before.
  int sock = host_test::ConnectLoopback(Port());
  host_test::SendAll(sock, "GET /hello.asp HTTP/1.1\r\nHost: a\r\n\r\n");
  host_test::Received kept = host_test::ReadUntilClosed(sock, 150);
  EXPECT_FALSE(kept.closed);
  EXPECT_TRUE(host_test::ReadUntilClosed(sock, 2000).closed);
  ::close(sock);
}

TEST_F(LimitsTest, ABodyBelowTheLeastPaceIsCutOffAndOneAtPaceIsRead) {
  host::ServerLimits limits;
  limits.body_rate_window = milliseconds(600);
  limits.min_body_bytes_per_second = 500;  // 300 bytes a window
  Start(limits);
  struct Case {
    const char* what;
    std::vector<std::string> pieces;  // sent 150 ms apart
    int status;
  };
  const std::string head = "POST /echo.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 2000\r\n\r\n";
  const std::vector<Case> cases = {
      {"fast, then a byte at a time", {head + std::string(1000, 'a'), "b", "c", "d", "e", "f", "g", "h", "i", "j"}, 408},
      {"steady at pace", {head, std::string(250, 'a'), std::string(250, 'b'), std::string(250, 'c'),
                          std::string(250, 'd'), std::string(250, 'e'), std::string(250, 'f'), std::string(250, 'g'),
                          std::string(250, 'h')}, 200},
  };
  for (const Case& c : cases) {
    int sock = host_test::ConnectLoopback(Port());
    for (const std::string& piece : c.pieces) {
      if (!host_test::SendAll(sock, piece)) break;
      std::this_thread::sleep_for(milliseconds(150));
    }
    std::string answer = host_test::ReadAnswer(sock, 1500);
    ::close(sock);
    EXPECT_EQ(host_test::StatusOf(answer), c.status) << c.what << "\n" << answer;
  }
}

TEST_F(LimitsTest, ABodyJustBelowTheLeastPaceIsCutOff) {
  host::ServerLimits limits;
  limits.body_rate_window = milliseconds(600);
  limits.min_body_bytes_per_second = 500;  // 300 bytes a window
  Start(limits);
  int sock = host_test::ConnectLoopback(Port());
  host_test::SendAll(sock, "POST /echo.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 2000\r\n\r\n");
  // 60 bytes every 150 ms, halfway between the window's ends: 240 a window.
  // Sent until the answer comes, for at most 3 s.
  std::this_thread::sleep_for(milliseconds(75));
  std::string answer;
  for (int i = 0; i < 20 && answer.empty() && host_test::SendAll(sock, std::string(60, 'a')); ++i)
    answer = host_test::ReadAnswer(sock, 150);
  ::close(sock);
  EXPECT_EQ(host_test::StatusOf(answer), 408) << answer;
}

TEST_F(LimitsTest, ABodyPastItsBudgetIsRefusedAndTheServerKeepsNoneOfIt) {
  host::ServerLimits limits;
  limits.max_form_bytes = 1000;
  limits.max_form_fields = 10;
  limits.body_memory_budget = 0;  // every body to its file
  limits.body_disk_budget = 100 * 1024;
  Start(limits);
  const std::string form = "POST /echo.asp HTTP/1.1\r\nHost: a\r\nContent-Type: application/x-www-form-urlencoded\r\n";
  const std::string fields = "a=1&b=2&c=3&d=4&e=5&f=6&g=7&h=8&i=9&j=0";
  struct Case {
    const char* what;
    std::string head, body;  // the body is sent only after the head's answer is awaited
    int status;
  };
  const std::vector<Case> cases = {
      {"a form at its limits", form + "Content-Length: 1000\r\n\r\n", fields + std::string(1000 - fields.size(), 'x'), 200},
      {"a form's declared length past its limit", form + "Content-Length: 1001\r\n\r\n", "", 413},
      {"a form in chunks past its limit", form + "Transfer-Encoding: chunked\r\n\r\n",
       "3e9\r\n" + std::string(1001, 'x') + "\r\n0\r\n\r\n", 413},
      {"a field past the limit", form + "Content-Length: 43\r\n\r\n", fields + "&k=1", 413},
      {"a body past the disk budget", "POST /echo.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 200000\r\n\r\n",
       std::string(200000, 'x'), 503},
      {"a body within it", "POST /echo.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 90000\r\n\r\n",
       std::string(90000, 'x'), 200},
  };
  for (const Case& c : cases) {
    int sock = host_test::ConnectLoopback(Port());
    host_test::SendAll(sock, c.head);
    std::string early = host_test::ReadAnswer(sock, 200);
    if (early.empty()) host_test::SendAll(sock, c.body);
    std::string answer = early.empty() ? host_test::ReadAnswer(sock, 1000) : early;
    ::close(sock);
    EXPECT_EQ(host_test::StatusOf(answer), c.status) << c.what << "\n" << answer.substr(0, 300);
  }
}

TEST_F(LimitsTest, PastTheHeadsBudgetTheHeadReadLongestIsDropped) {
  host::ServerLimits limits;
  limits.head_memory_budget = 200 * 1024;  // three heads of 60 KiB
  Start(limits);
  std::vector<int> heads = Open(4);
  for (int sock : heads) {
    std::string head = "GET /hello.asp HTTP/1.1\r\nHost: a\r\n";
    for (int line = 0; line < 60; ++line) head += "X-Long-" + std::to_string(line) + ": " + std::string(1000, 'x') + "\r\n";
    host_test::SendAll(sock, head);
    std::this_thread::sleep_for(milliseconds(100));
  }
  host_test::Received oldest = host_test::ReadUntilClosed(heads[0], 2000);
  EXPECT_TRUE(oldest.closed);
  EXPECT_EQ(host_test::StatusOf(oldest.bytes), 408) << oldest.bytes;
  for (size_t i = 1; i < heads.size(); ++i) EXPECT_FALSE(host_test::ReadUntilClosed(heads[i], 50).closed) << i;
  auto answer = server_->Client().Get("/hello.asp");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body, "hello");
}

TEST(ClientSlots, AnAddressIsOneClientAndAnIPv6OneItsSlash64) {
  namespace ip = boost::asio::ip;
  EXPECT_EQ(host::ClientOf(ip::make_address("10.0.0.7")), "10.0.0.7");
  EXPECT_EQ(host::ClientOf(ip::make_address("::ffff:10.0.0.7")), "10.0.0.7");
  EXPECT_EQ(host::ClientOf(ip::make_address("2001:db8:1:2:aaaa::1")), host::ClientOf(ip::make_address("2001:db8:1:2::9")));
  EXPECT_NE(host::ClientOf(ip::make_address("2001:db8:1:2::1")), host::ClientOf(ip::make_address("2001:db8:1:3::1")));
}

TEST_F(LimitsTest, AClientWaitingFor100ContinueGetsARefusalOrADroppedBodysAnswerAtOnce) {
  site_.WriteFile("site/plain.txt", "plain");
  Start({});
  struct Case {
    std::string request_line;
    int status;
  };
  const std::vector<Case> cases = {
      {"POST /plain.txt", 405}, {"POST /missing.asp", 404}, {"PUT /missing.txt", 405}, {"GET /hello.asp", 200}};
  for (const Case& c : cases) {
    int sock = host_test::ConnectLoopback(Port());
    host_test::SendAll(sock, c.request_line + " HTTP/1.1\r\nHost: a\r\nExpect: 100-continue\r\nContent-Length: 100000\r\n\r\n");
    host_test::Received received = host_test::ReadUntilClosed(sock, 3000);
    ::close(sock);
    EXPECT_EQ(host_test::StatusOf(received.bytes), c.status) << c.request_line << "\n" << received.bytes;
    EXPECT_EQ(received.bytes.find("100 Continue"), std::string::npos) << c.request_line;
    EXPECT_NE(received.bytes.find("\r\nConnection: close\r\n"), std::string::npos) << c.request_line;
    EXPECT_TRUE(received.closed) << c.request_line;
  }
}

TEST_F(LimitsTest, ABodyThatWaitsFor100ContinueGetsIt) {
  Start({});
  int sock = host_test::ConnectLoopback(Port());
  host_test::SendAll(sock, "POST /echo.asp HTTP/1.1\r\nHost: a\r\nExpect: 100-continue\r\nContent-Length: 4\r\n\r\n");
  EXPECT_EQ(host_test::ReadAnswer(sock, 500), "HTTP/1.1 100 Continue\r\n\r\n");
  host_test::SendAll(sock, "ping");
  std::string answer = host_test::ReadAnswer(sock, 500);
  ::close(sock);
  EXPECT_EQ(host_test::StatusOf(answer), 200);
  EXPECT_EQ(answer.substr(answer.find("\r\n\r\n") + 4), "ping");
}

}  // namespace
