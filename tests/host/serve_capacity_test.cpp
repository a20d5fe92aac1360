// `qe serve` with many clients at once: idle connections by the thousand, and
// hundreds of kept connections asking for a file and the start page.
#include <poll.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "host/raw_http.h"
#include "host/serve_command.h"
#include "host/serve_process.h"
#include "support/http_client.h"
#include "support/temp_site.h"

namespace {

// The descriptors this process may open, raised as far as the system lets it.
bool CanOpen(rlim_t files) {
  rlimit limit{};
  ::getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_cur < files && limit.rlim_max >= files) {
    limit.rlim_cur = files;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
  ::getrlimit(RLIMIT_NOFILE, &limit);
  return limit.rlim_cur >= files;
}

class CapacityTest : public ::testing::Test {
 protected:
  CapacityTest() {
    site_.WriteFile("site/qe/style.css", std::string(3000, 'c'));
    // Every client here is this one address.
    server_ = std::make_unique<host_test::ServeProcess>(site_.SiteFolder(),
                                                        std::vector<std::string>{"--max-per-client", "100000"});
  }
  qe_test::TempSite site_;
  std::unique_ptr<host_test::ServeProcess> server_;
};

TEST_F(CapacityTest, TwoThousandIdleConnectionsAndARequestIsServed) {
  constexpr int kIdle = 2000;
  if (!CanOpen(kIdle + 200)) GTEST_SKIP() << "this system allows fewer open files";
  std::vector<int> idle;
  for (int i = 0; i < kIdle; ++i) {
    int sock = host_test::ConnectLoopback(server_->Port());
    if (sock >= 0) idle.push_back(sock);
  }
  EXPECT_EQ(idle.size(), static_cast<size_t>(kIdle));
  // Half of them have begun a request.
  for (size_t i = 0; i < idle.size(); i += 2) host_test::SendAll(idle[i], "GET /qe/style.css HTTP/1.1\r\n");
  auto page = qe_test::HttpClient(server_->Port()).Get("/qe/index.asp");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("</html>"), std::string::npos);
  for (int sock : idle) ::close(sock);
  EXPECT_TRUE(server_->Running());
}

TEST_F(CapacityTest, FiveHundredKeptConnectionsGetEveryAnswerWhole) {
  constexpr int kClients = 500, kRounds = 1;
  if (!CanOpen(kClients + 200)) GTEST_SKIP() << "this system allows fewer open files";
  std::atomic<int> errors = 0, wrong_length = 0, answered = 0;
  std::atomic<int> ready = 0;
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&] {
      qe_test::HttpClient client(server_->Port(), std::chrono::seconds(60));
      ++ready;
      while (ready < kClients) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      for (int round = 0; round < kRounds; ++round) {
        auto file = client.Get("/qe/style.css");
        auto page = client.Get("/qe/index.asp");
        if (!file || !page || file->status != 200 || page->status != 200) {
          ++errors;
          continue;
        }
        if (file->body != std::string(3000, 'c') || !page->body.ends_with("</body>\n</html>\n")) ++wrong_length;
        answered += 2;
      }
    });
  }
  for (auto& t : clients) t.join();
  EXPECT_EQ(errors, 0);
  EXPECT_EQ(wrong_length, 0);
  EXPECT_EQ(answered, kClients * kRounds * 2);
  EXPECT_TRUE(server_->Running());
}

// Each connection may hold two descriptors (its socket and a file) beside
// those kept for the pages: the limit leaves them room.
TEST(ConnectionLimit, EveryConnectionFindsItsTwoDescriptors) {
  for (uint64_t descriptors : {600, 1024, 20000}) {
    size_t connections = host::ConnectionsForDescriptors(descriptors, 1000000);
    EXPECT_LE(2 * connections + 256, descriptors) << descriptors;
    EXPECT_GT(2 * (connections + 1) + 256, descriptors) << descriptors << ": none left unused";
  }
  EXPECT_EQ(host::ConnectionsForDescriptors(1 << 20, 10000), 10000u);
}

// Bodies past memory (in files) to the download page, whose clients take
// nothing: past what the descriptors allow a client is refused, and no
// answer fails for want of a descriptor.
TEST_F(CapacityTest, UnderALowDescriptorLimitEveryAnswerIsTheFileOrARefusal) {
  constexpr int kClients = 450;  // 1024 descriptors allow 384 connections
  if (!CanOpen(kClients + 200)) GTEST_SKIP() << "this system allows fewer open files";
  site_.WriteFile("site/qe/big.zip", std::string(4 << 20, 'z'));
  server_ = std::make_unique<host_test::ServeProcess>(site_.SiteFolder(),
                                                      std::vector<std::string>{"--max-per-client", "100000"}, 1024);
  const std::string body(300 * 1024, 'b');
  const std::string post = "POST /comm/kesra_Download.asp?p_Act=DownLoad&p_CurrentFile=/qe/big.zip HTTP/1.1\r\n"
                           "Host: a\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                           std::to_string(body.size()) + "\r\n\r\n" + body;
  std::vector<int> clients;
  std::map<int, int> statuses;
  for (int i = 0; i < kClients; ++i) {
    int sock = host_test::ConnectLoopback(server_->Port(), 4096);
    clients.push_back(sock);
    host_test::SendAll(sock, post);
    pollfd answered{sock, POLLIN, 0};
    char status[12] = {};
    ++statuses[::poll(&answered, 1, 5000) > 0 && ::recv(sock, status, sizeof status, MSG_WAITALL) == 12
                   ? host_test::StatusOf(std::string(status, sizeof status))
                   : 0];
  }
  EXPECT_GE(statuses[200], 300) << "most of the connections allowed are served";
  EXPECT_EQ(statuses[200] + statuses[503], kClients) << "500: " << statuses[500] << ", none: " << statuses[0];
  for (int sock : clients) ::close(sock);
  int status = 0;
  for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
       status != 200 && std::chrono::steady_clock::now() < deadline;)
    status = host_test::StatusOf(host_test::SendRaw(server_->Port(), "GET /qe/style.css HTTP/1.1\r\nHost: a\r\n\r\n", 500));
  EXPECT_EQ(status, 200);
  EXPECT_TRUE(server_->Running());
}

}  // namespace
