// `qe serve` stopped by a signal: a transfer under way ends whole, an idle
// connection is closed at once, the drain has its limit, and a second signal
// stops the server at once.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "host/raw_http.h"
#include "host/serve_process.h"
#include "support/temp_site.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
constexpr size_t kFileSize = 32 * 1024 * 1024;

std::string Pattern(size_t length) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
  return bytes;
}

class GracefulStopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    site_ = new qe_test::TempSite;
    site_->WriteFile("site/qe/big.zip", Pattern(kFileSize));
    site_->WriteFile("site/qe/hello.txt", "hello");
  }
  static void TearDownTestSuite() {
    delete site_;
    site_ = nullptr;
  }

  // A client that asked for the large file and took its first bytes.
  static int StartTransfer(int port) {
    int sock = host_test::ConnectLoopback(port, 16 * 1024);
    host_test::SendAll(sock, "GET /qe/big.zip HTTP/1.1\r\nHost: a\r\n\r\n");
    char some[4096];
    ssize_t got = ::recv(sock, some, sizeof some, 0);
    if (got <= 0) ADD_FAILURE() << "no answer";
    first_.assign(some, static_cast<size_t>(std::max<ssize_t>(got, 0)));
    return sock;
  }

  static qe_test::TempSite* site_;
  static inline std::string first_;  // what StartTransfer took
};

qe_test::TempSite* GracefulStopTest::site_ = nullptr;

TEST_F(GracefulStopTest, ATransferUnderWayEndsWholeThenTheServerExits) {
  host_test::ServeProcess server(site_->SiteFolder());
  int idle = host_test::ConnectLoopback(server.Port());
  auto hello = host_test::Exchange(server.Port(), "GET /qe/hello.txt HTTP/1.1\r\nHost: a\r\n\r\n", 300);
  ASSERT_EQ(host_test::StatusOf(hello.bytes), 200);
  int sock = StartTransfer(server.Port());

  ::kill(server.Pid(), SIGTERM);
  // The idle connection is closed at once, the transfer goes on.
  EXPECT_TRUE(host_test::ReadUntilClosed(idle, 5000).closed);
  host_test::Received rest = host_test::ReadUntilClosed(sock, 5000);
  EXPECT_TRUE(rest.closed);
  std::vector<host_test::Answer> answers = host_test::AnswersIn(first_ + rest.bytes);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_TRUE(answers[0].body == Pattern(kFileSize)) << answers[0].body.size() << " bytes";
  EXPECT_EQ(server.WaitExit(milliseconds(5000)), 0);
  ::close(idle);
  ::close(sock);
}

TEST_F(GracefulStopTest, AClientThatTakesNothingIsCutOffAtTheDrainLimitOrTheSecondSignal) {
  struct Case {
    const char* name;
    std::vector<std::string> options;
    int signals;
    milliseconds at_least, within;
  };
  for (const Case& c : {Case{"drain limit", {"--drain-seconds", "1"}, 1, milliseconds(900), milliseconds(4000)},
                        Case{"second signal", {}, 2, milliseconds(0), milliseconds(2000)}}) {
    SCOPED_TRACE(c.name);
    host_test::ServeProcess server(site_->SiteFolder(), c.options);
    int sock = StartTransfer(server.Port());
    auto start = Clock::now();
    ::kill(server.Pid(), SIGTERM);
    if (c.signals == 2) {
      // The first signal is taken once new connections are refused.
      for (int probe; (probe = host_test::ConnectLoopback(server.Port())) >= 0;) {
        ::close(probe);
        ASSERT_LT(Clock::now() - start, milliseconds(5000));
      }
      ::kill(server.Pid(), SIGTERM);
    }
    EXPECT_EQ(server.WaitExit(c.within), 0);
    EXPECT_GE(Clock::now() - start, c.at_least);
    ::close(sock);
  }
}

}  // namespace
