// Pages whose output reaches the client as they flush it: framed by chunks,
// by the page's own length or by the end of the connection, read back byte
// for byte; and pages whose client went away or stopped reading.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "host/in_process_server.h"
#include "host/raw_http.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "support/temp_site.h"

namespace {

using host::Page;
using Clock = std::chrono::steady_clock;

char PatternByte(uint64_t offset) { return static_cast<char>((offset * 131 + offset / 251) & 0xFF); }

std::string Pattern(uint64_t length) {
  std::string bytes(length, '\0');
  for (uint64_t i = 0; i < length; ++i) bytes[i] = PatternByte(i);
  return bytes;
}

int64_t QueryNumber(Page& page, const char16_t* name, int64_t otherwise) {
  vb::String text = vb::CStr(com::ValueOf(com::Call(page.Request, u"QueryString", vb::String(name))));
  return text.empty() ? otherwise : std::stoll(vb::ToUtf8(text));
}

// ?count=N&size=S: N blocks of S bytes of the pattern; &flush=1 flushes after
// each, &buffer=0 sends each write at once, &length=L sets Content-Length.
void Blocks(Page& page) {
  asp::Response& response = asp::CurrentContext()->ResponseObject();
  int64_t count = QueryNumber(page, u"count", 1), size = QueryNumber(page, u"size", 1);
  bool flush = QueryNumber(page, u"flush", 0) != 0;
  if (QueryNumber(page, u"buffer", 1) == 0) response.SetBuffer(false);
  if (int64_t length = QueryNumber(page, u"length", -1); length >= 0)
    response.AddHeader(u"Content-Length", vb::FromUtf8(std::to_string(length)));
  response.SetContentType(u"application/octet-stream");
  std::string block(static_cast<size_t>(size), '\0');
  for (int64_t b = 0; b < count; ++b) {
    for (int64_t i = 0; i < size; ++i) block[static_cast<size_t>(i)] = PatternByte(static_cast<uint64_t>(b * size + i));
    response.BinaryWrite(block);
    if (flush) response.Flush();
  }
}

std::atomic<bool> g_release{false};

// "first", flushed; then, once the test lets it go on, "second".
void Paced(Page&) {
  asp::Response& response = asp::CurrentContext()->ResponseObject();
  response.Write(u"first");
  response.Flush();
  for (auto deadline = Clock::now() + std::chrono::seconds(20); !g_release && Clock::now() < deadline;)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  response.Write(u"second");
}

std::atomic<int> g_blocks{0};
std::atomic<bool> g_endless_done{false};

// 64 KiB blocks, each flushed, for as long as the client is there (6 GiB at most).
void Endless(Page&) {
  asp::Response& response = asp::CurrentContext()->ResponseObject();
  std::string block(64 * 1024, 'x');
  while (response.IsClientConnected() && g_blocks < 100000) {
    response.BinaryWrite(block);
    response.Flush();
    ++g_blocks;
  }
  g_endless_done = true;
}

void LateHeader(Page&) {
  asp::Response& response = asp::CurrentContext()->ResponseObject();
  response.Write(u"first ");
  response.Flush();
  response.AddHeader(u"X-Late", u"too late");
  response.Write(u"never");
}

class StreamingTest : public ::testing::Test {
 protected:
  explicit StreamingTest(host::ServerLimits limits = {}) {
    host::Pages pages;
    pages.Register(u"/blocks.asp", &Blocks);
    pages.Register(u"/paced.asp", &Paced);
    pages.Register(u"/endless.asp", &Endless);
    pages.Register(u"/late.asp", &LateHeader);
    limits.threads = 4;
    server_ = std::make_unique<host_test::InProcessServer>(site_.SiteFolder(), std::move(pages), limits);
    g_release = false;
    g_blocks = 0;
    g_endless_done = false;
  }

  // True once the page ended, within `seconds`.
  static bool EndlessEnds(int seconds) {
    for (auto deadline = Clock::now() + std::chrono::seconds(seconds); Clock::now() < deadline;) {
      if (g_endless_done) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  qe_test::TempSite site_;
  std::unique_ptr<host_test::InProcessServer> server_;
};

TEST_F(StreamingTest, FlushedOutputIsReadBackByteForByteWhateverItsFraming) {
  struct Case {
    const char* query;
    const char* framing;  // "chunked" or the Content-Length
    uint64_t length;
  };
  constexpr uint64_t kFourMiB = 64 * 65536;
  for (const Case& c : std::initializer_list<Case>{
           {"count=64&size=65536&flush=1", "chunked", kFourMiB},
           {"count=64&size=65536&buffer=0", "chunked", kFourMiB},
           {"count=64&size=65536&flush=1&length=4194304", "4194304", kFourMiB},
           {"count=64&size=65536", "4194304", kFourMiB},  // the page ended before a flush: its length
           {"count=64&size=65536&flush=1&length=1000", "1000", 1000},  // never a byte past the page's length
           {"count=64&size=65536&length=1000", "1000", 1000},
       }) {
    auto client = server_->Client();
    auto answer = client.Get(std::string("/blocks.asp?") + c.query);
    ASSERT_TRUE(answer) << c.query;
    if (std::string(c.framing) == "chunked") {
      EXPECT_EQ(answer->Header("Transfer-Encoding"), "chunked") << c.query;
      EXPECT_FALSE(answer->HasHeader("Content-Length")) << c.query;
    } else {
      EXPECT_EQ(answer->Header("Content-Length"), c.framing) << c.query;
    }
    EXPECT_EQ(answer->body.size(), c.length) << c.query;
    EXPECT_TRUE(answer->body == Pattern(c.length)) << c.query;
    // The connection carries the next request.
    auto next = client.Get("/blocks.asp?count=1&size=3");
    ASSERT_TRUE(next) << c.query;
    EXPECT_EQ(next->body, Pattern(3)) << c.query;
  }
}

TEST_F(StreamingTest, APageThatEndsShortOfItsLengthClosesTheConnection) {
  host_test::Received received = host_test::Exchange(
      server_->Port(), "GET /blocks.asp?count=2&size=1000&flush=1&length=5000 HTTP/1.1\r\nHost: a\r\n\r\n", 5000);
  EXPECT_NE(received.bytes.find("\r\nContent-Length: 5000\r\n"), std::string::npos);
  EXPECT_EQ(received.bytes.substr(received.bytes.find("\r\n\r\n") + 4), Pattern(2000));
  EXPECT_TRUE(received.closed);
}

TEST_F(StreamingTest, HTTP10ClientsGetTheBodyUntilTheConnectionEnds) {
  host_test::Received received =
      host_test::Exchange(server_->Port(), "GET /blocks.asp?count=3&size=1000&flush=1 HTTP/1.0\r\n\r\n", 5000);
  std::string head = received.bytes.substr(0, received.bytes.find("\r\n\r\n"));
  EXPECT_EQ(head.find("Transfer-Encoding"), std::string::npos) << head;
  EXPECT_EQ(head.find("Content-Length"), std::string::npos) << head;
  EXPECT_EQ(received.bytes.substr(head.size() + 4), Pattern(3000));
  EXPECT_TRUE(received.closed);
}

TEST_F(StreamingTest, HeadRequestsGetThePagesHeadAlone) {
  host_test::Received received = host_test::Exchange(server_->Port(),
                                                     "HEAD /blocks.asp?count=2&size=10 HTTP/1.1\r\nHost: a\r\n\r\n"
                                                     "GET /blocks.asp?count=2&size=10 HTTP/1.1\r\nHost: a\r\n\r\n",
                                                     1000);
  std::vector<host_test::Answer> answers = host_test::AnswersIn(received.bytes, {true, false});
  ASSERT_EQ(answers.size(), 2u) << received.bytes;
  EXPECT_NE(answers[0].head.find("\r\nContent-Length: 20"), std::string::npos);
  EXPECT_EQ(answers[1].body, Pattern(20));
}

TEST_F(StreamingTest, TheHeadAndFlushedOutputReachTheClientWhileThePageRuns) {
  int sock = host_test::ConnectLoopback(server_->Port());
  ASSERT_GE(sock, 0);
  host_test::SendAll(sock, "GET /paced.asp HTTP/1.1\r\nHost: a\r\n\r\n");
  std::string early;
  for (auto deadline = Clock::now() + std::chrono::seconds(10);
       early.find("first") == std::string::npos && Clock::now() < deadline;)
    early += host_test::ReadAnswer(sock, 100);
  EXPECT_EQ(host_test::StatusOf(early), 200);
  EXPECT_NE(early.find("\r\nTransfer-Encoding: chunked\r\n"), std::string::npos);
  EXPECT_NE(early.find("\r\n\r\n5\r\nfirst\r\n"), std::string::npos) << early;
  g_release = true;
  std::string rest = host_test::ReadAnswer(sock, 1000);
  ::close(sock);
  EXPECT_EQ(rest, "6\r\nsecond\r\n0\r\n\r\n");
}

TEST_F(StreamingTest, AHeaderChangeAfterTheHeadWentOutFailsAsTheEngineDoes) {
  auto answer = server_->Client().Get("/late.asp");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 200);
  EXPECT_FALSE(answer->HasHeader("X-Late"));
  EXPECT_EQ(answer->body.rfind("first ", 0), 0u);
  EXPECT_NE(answer->body.find("The HTTP headers are already written to the client browser."), std::string::npos);
  EXPECT_EQ(answer->body.find("never"), std::string::npos);
}

TEST_F(StreamingTest, AClientThatLeavesMidTransferStopsThePage) {
  int sock = host_test::ConnectLoopback(server_->Port());
  ASSERT_GE(sock, 0);
  host_test::SendAll(sock, "GET /endless.asp HTTP/1.1\r\nHost: a\r\n\r\n");
  size_t got = 0;
  char buffer[65536];
  while (got < 1024 * 1024) {
    ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(sock);
  EXPECT_TRUE(EndlessEnds(10)) << g_blocks << " blocks";
  EXPECT_LT(g_blocks, 1000);  // 64 MiB: the page did not go on for long
}

class SlowReaderTest : public StreamingTest {
 protected:
  static host::ServerLimits ShortSendTimeout() {
    host::ServerLimits limits;
    limits.send_timeout = std::chrono::milliseconds(300);
    return limits;
  }
  SlowReaderTest() : StreamingTest(ShortSendTimeout()) {}
};

TEST_F(SlowReaderTest, AClientThatStopsReadingIsLetGoAfterTheSendTimeout) {
  int sock = host_test::ConnectLoopback(server_->Port());
  ASSERT_GE(sock, 0);
  host_test::SendAll(sock, "GET /endless.asp HTTP/1.1\r\nHost: a\r\n\r\n");
  // Nothing is read: the page fills the connection's buffers, then waits.
  EXPECT_TRUE(EndlessEnds(10)) << g_blocks << " blocks";
  ::close(sock);
  // The worker is free for the next page.
  auto next = server_->Client().Get("/blocks.asp?count=1&size=3");
  ASSERT_TRUE(next);
  EXPECT_EQ(next->body, Pattern(3));
}

}  // namespace
