// `qe serve` against clients that send what no browser sends: requests
// framed two ways at once, bodies where none belong, pipelined requests,
// ranges that would multiply a file. Each request is answered once, as its
// framing says, or refused and the connection closed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/raw_http.h"
#include "host/serve_process.h"
#include "support/http_client.h"
#include "support/temp_site.h"

namespace {

using host_test::AnswersIn;
using host_test::Exchange;
using host_test::StatusOf;

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
  return count;
}

class HostileClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    site_ = new qe_test::TempSite;
    site_->WriteFile("site/qe/hello.txt", "hello");
    site_->WriteFile("site/qe/empty.txt", "");
    std::string eight_k;
    for (int i = 0; eight_k.size() < 8192; ++i) eight_k += std::to_string(i % 10);
    site_->WriteFile("site/qe/8k.txt", eight_k);
    server_ = new host_test::ServeProcess(site_->SiteFolder());
  }
  static void TearDownTestSuite() {
    delete server_;
    delete site_;
  }
  static int Port() { return server_->Port(); }

  static qe_test::TempSite* site_;
  static host_test::ServeProcess* server_;
};

qe_test::TempSite* HostileClientTest::site_ = nullptr;
host_test::ServeProcess* HostileClientTest::server_ = nullptr;

TEST_F(HostileClientTest, RequestsFramedAmbiguouslyAreRefusedOnceAndTheConnectionClosed) {
  struct Case {
    const char* what;
    std::string request;
    int status;
  };
  // Each is followed by a request that a server reading the first one wrongly
  // would answer as well.
  const std::string kSmuggled = "GET /qe/hello.txt HTTP/1.1\r\nHost: a\r\n\r\n";
  const std::string kPost = "POST /qe/index.asp HTTP/1.1\r\nHost: a\r\n";
  static constexpr char kNul[] = "GET /qe/hello.txt HTTP/1.1\r\nHost: a\r\nX: \0\r\n\r\n";
  const std::string kChunked = kPost + "Transfer-Encoding: chunked\r\n\r\n";
  const std::string kNulInExtension = kChunked + "5;a=\"x" + std::string(1, '\0') + "y\"\r\nabcde\r\n0\r\n\r\n";
  const std::vector<Case> cases = {
      {"two lengths", kPost + "Content-Length: 0\r\nContent-Length: 39\r\n\r\n", 400},
      {"a length and chunks", kPost + "Content-Length: 39\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 400},
      {"a blank before the colon", kPost + "Transfer-Encoding : chunked\r\n\r\n0\r\n\r\n", 400},
      {"chunked, identity", kPost + "Transfer-Encoding: chunked, identity\r\n\r\n0\r\n\r\n", 400},
      {"chunks, then a length", kPost + "Transfer-Encoding: chunked\r\nContent-Length: 5\r\n\r\n0\r\n\r\n", 400},
      {"a folded header", kPost + "X-A: b\r\n c\r\nContent-Length: 0\r\n\r\n", 400},
      {"a header folded with a tab", kPost + "X-A: b\r\n\tc\r\nContent-Length: 0\r\n\r\n", 400},
      {"a bare LF in a quoted chunk extension", kChunked + "5;a=\"x\ny\"\r\nabcde\r\n0\r\n\r\n", 400},
      {"a NUL in a quoted chunk extension", kNulInExtension, 400},
      {"a folded trailer", kChunked + "0\r\nX-T: a\r\n b\r\n\r\n", 400},
      {"a trailer folded with a tab", kChunked + "0\r\nX-T: a\r\n\tb\r\n\r\n", 400},
      {"a chunk size 0x5", kPost + "Transfer-Encoding: chunked\r\n\r\n0x5\r\nabcde\r\n0\r\n\r\n", 400},
      {"a chunk size \" 5\"", kPost + "Transfer-Encoding: chunked\r\n\r\n 5\r\nabcde\r\n0\r\n\r\n", 400},
      {"an unknown coding", kPost + "Transfer-Encoding: xchunked\r\n\r\n0\r\n\r\n", 501},
      {"no Host", "GET /qe/hello.txt HTTP/1.1\r\n\r\n", 400},
      {"two Hosts", "GET /qe/hello.txt HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", 400},
      {"a line without a colon", "GET /qe/hello.txt HTTP/1.1\r\nHost: a\r\nNoColon\r\n\r\n", 400},
      {"a NUL", std::string(kNul, sizeof kNul - 1), 400},
      {"a bare CR", "GET /qe/hello.txt HTTP/1.1\r\nHost: a\r\nX: a\rb\r\n\r\n", 400},
      {"a bad escape", "GET /qe/%zz.txt HTTP/1.1\r\nHost: a\r\n\r\n", 400},
  };
  for (const Case& c : cases) {
    host_test::Received received = Exchange(Port(), c.request + kSmuggled);
    EXPECT_EQ(StatusOf(received.bytes), c.status) << c.what << "\n" << received.bytes;
    EXPECT_EQ(CountOf(received.bytes, "HTTP/1.1 "), 1u) << c.what << "\n" << received.bytes;
    EXPECT_NE(received.bytes.find("\r\nConnection: close\r\n"), std::string::npos) << c.what;
    EXPECT_TRUE(received.closed) << c.what;
  }
}

TEST_F(HostileClientTest, ABodyWhereNoneBelongsIsReadByItsFramingAndDropped) {
  const std::string kInner = "GET /qe/8k.txt HTTP/1.1\r\nHost: a\r\n\r\n";
  const std::string kNext = "GET /qe/hello.txt HTTP/1.1\r\nHost: a\r\n\r\n";
  for (const std::string method : {"GET", "HEAD"}) {
    std::string sent = method + " /qe/hello.txt HTTP/1.1\r\nHost: a\r\nContent-Length: " +
                       std::to_string(kInner.size()) + "\r\n\r\n" + kInner + kNext;
    std::vector<host_test::Answer> answers = AnswersIn(Exchange(Port(), sent, 500).bytes, {method == "HEAD", false});
    ASSERT_EQ(answers.size(), 2u) << method;  // the body's request is not one
    EXPECT_EQ(answers[0].status, 200) << method;
    EXPECT_EQ(answers[0].body, method == "GET" ? "hello" : "") << method;
    EXPECT_EQ(answers[1].body, "hello") << method;
  }
  // In chunks too.
  char size[16];
  std::snprintf(size, sizeof size, "%zx", kInner.size());
  std::string chunked = "GET /qe/hello.txt HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n" +
                        std::string(size) + "\r\n" + kInner + "\r\n0\r\n\r\n" + kNext;
  std::vector<host_test::Answer> answers = AnswersIn(Exchange(Port(), chunked, 500).bytes);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0].body, "hello");
  EXPECT_EQ(answers[1].body, "hello");
}

TEST_F(HostileClientTest, PipelinedRequestsAreEachAnsweredInTurn) {
  std::string sent = "GET /qe/hello.txt HTTP/1.1\r\nHost: a\r\n\r\n"
                     "GET /qe/index.asp HTTP/1.1\r\nHost: a\r\n\r\n"
                     "GET /qe/missing.txt HTTP/1.1\r\nHost: a\r\n\r\n"
                     "HEAD /qe/8k.txt HTTP/1.1\r\nHost: a\r\n\r\n"
                     "GET http://127.0.0.1/qe/hello.txt HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
  host_test::Received received = Exchange(Port(), sent, 10000);
  std::vector<host_test::Answer> answers = AnswersIn(received.bytes, {false, false, false, true, false});
  ASSERT_EQ(answers.size(), 5u) << received.bytes.substr(0, 500);
  EXPECT_EQ(answers[0].body, "hello");
  EXPECT_EQ(answers[1].status, 200);
  EXPECT_NE(answers[1].body.find("</html>"), std::string::npos);
  EXPECT_EQ(answers[2].status, 404);
  EXPECT_EQ(answers[3].status, 200);
  EXPECT_NE(answers[3].head.find("\r\nContent-Length: 8192"), std::string::npos);
  EXPECT_EQ(answers[4].body, "hello");  // the absolute form, taken as its path
  EXPECT_TRUE(received.closed);
}

TEST_F(HostileClientTest, AStaticFileSendsOneSatisfiableRangeAndAPageNone) {
  auto client = qe_test::HttpClient(Port());
  std::string many = "bytes=0-8191";
  for (int i = 0; i < 800; ++i) many += ",0-8191";
  auto copies = client.Get("/qe/8k.txt", {{"Range", many}});
  ASSERT_TRUE(copies);
  EXPECT_EQ(copies->status, 200);
  EXPECT_EQ(copies->body.size(), 8192u);

  auto part = client.Get("/qe/8k.txt", {{"Range", "bytes=10-14"}});
  ASSERT_TRUE(part);
  EXPECT_EQ(part->status, 206);
  EXPECT_EQ(part->Header("Content-Range"), "bytes 10-14/8192");
  EXPECT_EQ(part->body, "01234");
  auto twice = client.Get("/qe/8k.txt", {{"Range", "bytes=10-14"}, {"Range", "bytes=20-24"}});
  ASSERT_TRUE(twice);
  EXPECT_EQ(twice->status, 200);  // two Range fields are no range
  EXPECT_EQ(twice->body.size(), 8192u);

  for (const auto& [file, range] : std::vector<std::pair<std::string, std::string>>{
           {"/qe/empty.txt", "bytes=0-"}, {"/qe/hello.txt", "bytes=5-"}, {"/qe/hello.txt", "bytes=100-200"}}) {
    auto beyond = client.Get(file, {{"Range", range}});
    ASSERT_TRUE(beyond) << file << " " << range;
    EXPECT_EQ(beyond->status, 416) << file << " " << range;
    EXPECT_EQ(beyond->Header("Content-Range"), file == "/qe/empty.txt" ? "bytes */0" : "bytes */5");
  }

  auto page = client.Get("/qe/index.asp", {{"Range", "bytes=0-9"}});
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_FALSE(page->HasHeader("Content-Range"));
  EXPECT_NE(page->body.find("</html>"), std::string::npos);
}

TEST_F(HostileClientTest, AHostNameTheServerWasNotGivenGets421AndRunsNoPage) {
  const std::string form = "UserName=admin&PassWord=x";
  for (const std::string& request :
       {"GET /qe/index.asp HTTP/1.1\r\nHost: rebind.example:" + std::to_string(Port()) + "\r\n\r\n",
        // The target names the host (RFC 9112): the Host field does not make it this site's.
        std::string("GET http://rebind.example/qe/index.asp HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"),
        "POST /qe/main/login.asp HTTP/1.1\r\nHost: rebind.example\r\nContent-Type: application/x-www-form-urlencoded\r\n"
        "Content-Length: " + std::to_string(form.size()) + "\r\n\r\n" + form}) {
    std::string answer = Exchange(Port(), request, 500).bytes;
    EXPECT_EQ(StatusOf(answer), 421) << answer;
    EXPECT_EQ(answer.find("Set-Cookie"), std::string::npos) << answer;
  }
}

TEST_F(HostileClientTest, AFormPastItsLimitIsRefusedBeforeItsBodyComes) {
  for (const char* page : {"/qe/main/login.asp", "/qe/login.asp", "/qe/main/password.asp"}) {
    int sock = host_test::ConnectLoopback(Port());
    host_test::SendAll(sock, std::string("POST ") + page + " HTTP/1.1\r\nHost: a\r\nReferer: http://a" + page +
                                 "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: 100000000\r\n\r\n");
    host_test::Received received = host_test::ReadUntilClosed(sock, 1000);
    ::close(sock);
    EXPECT_EQ(StatusOf(received.bytes), 413) << page << "\n" << received.bytes;
    EXPECT_TRUE(received.closed) << page;
  }
}

TEST_F(HostileClientTest, AChunkExtensionWithoutEndIsCutOffEarly) {
  int sock = host_test::ConnectLoopback(Port());
  ASSERT_GE(sock, 0);
  host_test::SendAll(sock, "POST /qe/index.asp HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n5;ext=");
  // A server that keeps all of it takes the 64 MiB; ours stops reading long before.
  std::string extension(64 * 1024, 'e');
  size_t sent = 0;
  while (sent < 64u * 1024 * 1024 && host_test::SendAll(sock, extension)) sent += extension.size();
  host_test::Received received = host_test::ReadUntilClosed(sock, 2000);
  ::close(sock);
  EXPECT_LT(sent, 64u * 1024 * 1024);
  EXPECT_EQ(StatusOf(received.bytes), 400) << received.bytes;
  EXPECT_TRUE(server_->Running());
}

}  // namespace
