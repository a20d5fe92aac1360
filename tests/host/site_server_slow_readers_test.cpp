// Clients that read a large answer slowly or never: the pages that answer
// them end without waiting, the other clients are served meanwhile, and what
// was left for a client reaches it whole once it reads, from the page's
// queued output or straight from the file the page handed over.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <linux/sock_diag.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "host/in_process_server.h"
#include "host/raw_http.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "support/temp_site.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint64_t kMiB = 1024 * 1024;
constexpr int kSmallReceiveBuffer = 16 * 1024;

char PatternByte(uint64_t offset) { return static_cast<char>((offset * 131 + offset / 251) & 0xFF); }

std::string Pattern(uint64_t from, uint64_t length) {
  std::string bytes(length, '\0');
  for (uint64_t i = 0; i < length; ++i) bytes[i] = PatternByte(from + i);
  return bytes;
}

std::atomic<int> g_pages_done{0};
std::string g_file;  // the host path of the file the pages send

int64_t QueryNumber(host::Page& page, const char16_t* name, int64_t otherwise) {
  vb::String text = vb::CStr(com::ValueOf(com::Call(page.Request, u"QueryString", vb::String(name))));
  return text.empty() ? otherwise : std::stoll(vb::ToUtf8(text));
}

// ?mib=N: N MiB of the pattern in flushed blocks of 1 MiB, while the client
// is there; &length=1 sets Content-Length.
void Output(host::Page& page) {
  asp::Response& response = asp::CurrentContext()->ResponseObject();
  int64_t blocks = QueryNumber(page, u"mib", 1);
  if (QueryNumber(page, u"length", 0))
    response.AddHeader(u"Content-Length", vb::FromUtf8(std::to_string(blocks * static_cast<int64_t>(kMiB))));
  for (int64_t b = 0; b < blocks && response.IsClientConnected(); ++b) {
    response.BinaryWrite(Pattern(static_cast<uint64_t>(b) * kMiB, kMiB));
    response.Flush();
  }
  ++g_pages_done;
}

// ?offset=O&length=L: a line of text, then L bytes of the file from O handed
// over whole; &framed=1 sets Content-Length, else the body goes in chunks.
void File(host::Page& page) {
  asp::Response& response = asp::CurrentContext()->ResponseObject();
  auto offset = static_cast<uint64_t>(QueryNumber(page, u"offset", 0));
  auto length = static_cast<uint64_t>(QueryNumber(page, u"length", 0));
  if (QueryNumber(page, u"framed", 1))
    response.AddHeader(u"Content-Length", vb::FromUtf8(std::to_string(length + 5)));
  response.Write(u"file\n");
  int file = ::open(g_file.c_str(), O_RDONLY | O_CLOEXEC);
  response.SendFileRange(file, offset, length);
  ::close(file);  // the connection keeps a descriptor of its own
  ++g_pages_done;
}

void Hello(host::Page& page) { com::Call(page.Response, u"Write", vb::String(u"hello")); }

// The server's ends of its connections on `port`, as this process holds
// them: each one's send buffer (twice what the server asked) and what its
// kernel has queued, as the kernel counts them.
struct SendBuffer {
  int size = 0;
  uint64_t queued = 0;
  int client_port = 0;
};
std::vector<SendBuffer> ServerSendBuffers(int port) {
  std::vector<SendBuffer> sockets;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    int descriptor = std::stoi(entry.path().filename().string());
    sockaddr_in local{}, peer{};
    socklen_t length = sizeof local;
    if (::getsockname(descriptor, reinterpret_cast<sockaddr*>(&local), &length) != 0 || local.sin_family != AF_INET ||
        ntohs(local.sin_port) != port)
      continue;
    length = sizeof peer;
    if (::getpeername(descriptor, reinterpret_cast<sockaddr*>(&peer), &length) != 0) continue;  // the listener
    SendBuffer buffer;
    buffer.client_port = ntohs(peer.sin_port);
    length = sizeof buffer.size;
    ::getsockopt(descriptor, SOL_SOCKET, SO_SNDBUF, &buffer.size, &length);
    uint32_t memory[SK_MEMINFO_VARS] = {};
    length = sizeof memory;
    ::getsockopt(descriptor, SOL_SOCKET, SO_MEMINFO, memory, &length);
    buffer.queued = memory[SK_MEMINFO_WMEM_QUEUED];
    sockets.push_back(buffer);
  }
  return sockets;
}

class SlowReadersTest : public ::testing::Test {
 protected:
  static constexpr uint64_t kFileSize = 64 * kMiB;

  static void SetUpTestSuite() {
    site_ = new qe_test::TempSite;
    g_file = site_->WriteFile("site/big.bin", Pattern(0, kFileSize)).string();
  }
  static void TearDownTestSuite() {
    delete site_;
    site_ = nullptr;
  }

  void Start(host::ServerLimits limits = {}) {
    host::Pages pages;
    pages.Register(u"/output.asp", &Output);
    pages.Register(u"/file.asp", &File);
    pages.Register(u"/hello.asp", &Hello);
    limits.threads = 2;
    server_ = std::make_unique<host_test::InProcessServer>(site_->SiteFolder(), std::move(pages), limits);
    g_pages_done = 0;
  }
  void TearDown() override {
    for (int sock : held_) ::close(sock);
  }

  // A client that asks and reads nothing yet.
  int Ask(const std::string& target) {
    int sock = host_test::ConnectLoopback(server_->Port(), kSmallReceiveBuffer);
    held_.push_back(sock);
    host_test::SendAll(sock, "GET " + target + " HTTP/1.1\r\nHost: a\r\n\r\n");
    return sock;
  }
  static bool PagesEnd(int count, std::chrono::seconds within) {
    for (auto deadline = Clock::now() + within; g_pages_done < count;) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  static qe_test::TempSite* site_;
  std::unique_ptr<host_test::InProcessServer> server_;
  std::vector<int> held_;
};

qe_test::TempSite* SlowReadersTest::site_ = nullptr;

// With the send time-out at 30 s, a page that waited on its client would
// hold one of the two workers until then.
TEST_F(SlowReadersTest, ClientsThatNeverReadHoldNoPageWorker) {
  for (const char* target : {"/output.asp?mib=8", "/file.asp?length=67108864"}) {
    SCOPED_TRACE(target);
    Start();
    for (int i = 0; i < 8; ++i) Ask(target);
    EXPECT_TRUE(PagesEnd(8, std::chrono::seconds(10))) << g_pages_done << " of 8 pages ended";
    auto start = Clock::now();
    auto answer = server_->Client().Get("/hello.asp");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->body, "hello");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  }
}

// The client reads only once its page has ended: everything it gets comes
// from what the page left queued, or from the file.
TEST_F(SlowReadersTest, WhatAPageLeftReachesTheClientWholeAndTheConnectionGoesOn) {
  Start();
  struct Case {
    std::string target;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"/output.asp?mib=6", Pattern(0, 6 * kMiB)},                 // chunked, spooled past memory
      {"/output.asp?mib=6&length=1", Pattern(0, 6 * kMiB)},        // the page's length
      {"/file.asp?length=67108864", "file\n" + Pattern(0, kFileSize)},
      {"/file.asp?offset=1000&length=3000000&framed=0", "file\n" + Pattern(1000, 3000000)},  // one chunk
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    int before = g_pages_done;
    int sock = Ask(c.target);
    ASSERT_TRUE(PagesEnd(before + 1, std::chrono::seconds(10)));
    host_test::SendAll(sock, "GET /hello.asp HTTP/1.1\r\nHost: a\r\n\r\n");
    std::string received;
    for (auto deadline = Clock::now() + std::chrono::seconds(20);
         !received.ends_with("\r\n\r\nhello") && Clock::now() < deadline;)
      received += host_test::ReadAnswer(sock, 50);
    std::vector<host_test::Answer> answers = host_test::AnswersIn(received);
    ASSERT_EQ(answers.size(), 2u) << received.size() << " bytes";
    EXPECT_EQ(answers[0].status, 200);
    EXPECT_EQ(answers[0].body.size(), c.expected.size());
    EXPECT_TRUE(answers[0].body == c.expected);
    EXPECT_EQ(answers[1].body, "hello");
  }
}

// The kernel holds what a client does not take in the socket's send buffer,
// out of every process's memory: the server's sockets share a total, as the
// kernel counts it, however many readers come at once.
TEST_F(SlowReadersTest, ReadersOpenedAtOnceStayWithinTheSendBuffersTotal) {
  constexpr int kReaders = 64;
  constexpr uint64_t kTotal = 2 * kMiB;  // four sockets of 512 KiB
  host::ServerLimits limits;
  limits.send_buffers_total = kTotal;
  limits.max_connections = 100;
  Start(limits);
  std::vector<int> readers;
  for (int i = 0; i < kReaders; ++i) readers.push_back(Ask("/file.asp?length=67108864"));
  for (int reader : readers) {
    pollfd answered{reader, POLLIN, 0};
    ::poll(&answered, 1, 2000);  // its answer has begun
  }
  ASSERT_TRUE(PagesEnd(kReaders, std::chrono::seconds(10)));
  std::vector<SendBuffer> sockets = ServerSendBuffers(server_->Port());
  ASSERT_EQ(sockets.size(), static_cast<size_t>(kReaders));
  uint64_t queued = 0;
  for (const SendBuffer& socket : sockets) queued += socket.queued;
  EXPECT_LE(queued, kTotal + kTotal / 10);

  // Once they are gone, the total is there again: a reader that takes
  // what it is sent grows its share.
  for (int reader : readers) ::close(reader);
  held_.clear();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the server has seen them go
  int sock = Ask("/file.asp?length=67108864");
  char buffer[65536];
  for (uint64_t taken = 0; taken < 8 * kMiB;) {
    ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
    ASSERT_GT(n, 0);
    taken += static_cast<uint64_t>(n);
  }
  sockets = ServerSendBuffers(server_->Port());
  ASSERT_EQ(sockets.size(), 1u);
  EXPECT_GE(sockets[0].size, 256 * 1024);
}

// Readers that took part of their answers, their shares grown, and stopped
// give the shares back once another answer needs the room: a download that
// comes after them grows its share, and a reader that takes again gets the
// rest of its answer whole.
TEST_F(SlowReadersTest, ReadersThatStoppedGiveTheirSharesBackToADownloadThatComesAfter) {
  constexpr int kReaders = 32;
  constexpr uint64_t kTotal = 4 * kMiB;
  constexpr uint64_t kLength = 8 * kMiB;
  host::ServerLimits limits;
  limits.send_buffers_total = kTotal;
  limits.max_connections = 100;  // an answer starts with 20 KiB
  Start(limits);
  const std::string target = "/file.asp?length=" + std::to_string(kLength);
  std::vector<int> readers;
  for (int i = 0; i < kReaders; ++i) readers.push_back(Ask(target));
  std::vector<std::string> taken(kReaders);
  char buffer[65536];
  for (int i = 0; i < kReaders; ++i)
    while (taken[i].size() < 2 * kMiB) {
      ssize_t n = ::recv(readers[i], buffer, sizeof buffer, 0);
      ASSERT_GT(n, 0);
      taken[i].append(buffer, static_cast<size_t>(n));
    }

  // Among 33 answers each has an even share of 127 KiB: the download's
  // buffer grows to half that at least, where it would keep its start.
  int download = host_test::ConnectLoopback(server_->Port());
  held_.push_back(download);
  host_test::SendAll(download, "GET /file.asp?length=" + std::to_string(kFileSize) + " HTTP/1.1\r\nHost: a\r\n\r\n");
  sockaddr_in local{};
  socklen_t length = sizeof local;
  ::getsockname(download, reinterpret_cast<sockaddr*>(&local), &length);
  constexpr int kGrown = static_cast<int>(kTotal / (kReaders + 1) / 2);
  int share = 0;
  uint64_t received = 0;
  for (auto deadline = Clock::now() + std::chrono::seconds(10); share < kGrown && Clock::now() < deadline;) {
    ssize_t n = ::recv(download, buffer, sizeof buffer, 0);
    ASSERT_GT(n, 0) << "the download ended after " << received << " bytes";
    received += static_cast<uint64_t>(n);
    for (const SendBuffer& socket : ServerSendBuffers(server_->Port()))
      if (socket.client_port == ntohs(local.sin_port)) share = socket.size;
  }
  EXPECT_GE(share, kGrown) << "after " << received << " bytes";
  uint64_t queued = 0;
  for (const SendBuffer& socket : ServerSendBuffers(server_->Port())) queued += socket.queued;
  EXPECT_LE(queued, kTotal + kTotal / 10);

  std::string& answer = taken[0];
  for (const size_t whole = answer.find("\r\n\r\n") + 4 + 5 + kLength; answer.size() < whole;) {
    ssize_t n = ::recv(readers[0], buffer, sizeof buffer, 0);
    ASSERT_GT(n, 0) << "the reader's answer ended after " << answer.size() << " bytes";
    answer.append(buffer, static_cast<size_t>(n));
  }
  std::vector<host_test::Answer> answers = host_test::AnswersIn(answer);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_TRUE(answers[0].body == "file\n" + Pattern(0, kLength)) << answers[0].body.size() << " bytes";
}

// A client the server gives up (it took nothing for the send time-out) is
// reset: what the kernel held for it goes at once, not after the kernel's
// own tries, and the client sees the reset, not an end.
// Clients that reset their connections while a file is sent to them: the
// server goes on serving. A file goes out by sendfile, which cannot be told
// to spare the process the signal of a peer gone, so the server must not
// depend on whoever runs it to ignore that signal.
TEST_F(SlowReadersTest, ReadersThatResetMidAnswerStopNothing) {
  ::signal(SIGPIPE, SIG_DFL);
  Start();
  char buffer[65536];
  for (int round = 0; round < 32; ++round) {
    for (int i = 0; i < 16; ++i) Ask("/file.asp?length=67108864");
    for (int sock : held_) ASSERT_GT(::recv(sock, buffer, sizeof buffer, 0), 0);
    for (int sock : held_) ::close(sock);  // what they were sent unread: a reset
    held_.clear();
  }
  auto answer = server_->Client().Get("/hello.asp");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body, "hello");
}

TEST_F(SlowReadersTest, AClientThatTakesNothingIsResetAndWhatWasQueuedForItGoes) {
  host::ServerLimits limits;
  limits.send_timeout = std::chrono::milliseconds(400);
  limits.max_connections = 100;
  limits.send_buffer_start = 256 * 1024;  // an answer of 200 KB is handed over whole
  Start(limits);
  struct Case {
    const char* what;
    std::string request;
  };
  const std::vector<Case> cases = {
      {"a file the page handed over", "GET /file.asp?length=67108864 HTTP/1.1\r\nHost: a\r\n\r\n"},
      {"a page that waits for its client", "GET /output.asp?mib=32 HTTP/1.1\r\nHost: a\r\n\r\n"},
      {"an answer handed over whole, its end not taken",
       "GET /file.asp?length=200000 HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n"},
  };
  for (const Case& c : cases) {
    int sock = host_test::ConnectLoopback(server_->Port(), 4096);
    held_.push_back(sock);
    host_test::SendAll(sock, c.request);
    // Past the send time-out, and past the second a closing connection reads on.
    std::this_thread::sleep_for(std::chrono::milliseconds(1600));
    EXPECT_TRUE(ServerSendBuffers(server_->Port()).empty()) << c.what;
    char buffer[65536];
    ssize_t n = 0;
    for (pollfd readable{sock, POLLIN, 0}; ::poll(&readable, 1, 2000) > 0;)
      if ((n = ::recv(sock, buffer, sizeof buffer, 0)) <= 0) break;
    EXPECT_EQ(n < 0 ? errno : 0, ECONNRESET) << c.what;
  }
}

// A client that takes the end of its answer slowly once the server is done
// with it (the answer ends the connection, or the kept connection idles past
// its time meanwhile): the server holds the socket while the kernel has some
// of the answer to send, so it stays within the server's counts, and watches
// the client take it, however long that takes past the send time-out; the
// client gets it whole, with an orderly end.
TEST_F(SlowReadersTest, AnAnswersEndTakenSlowlyComesWholeFromASocketTheServerHolds) {
  constexpr size_t kLength = 160000;
  host::ServerLimits limits;
  limits.send_timeout = std::chrono::milliseconds(1000);
  limits.idle_timeout = std::chrono::milliseconds(300);
  limits.max_connections = 100;
  limits.send_buffer_start = 256 * 1024;  // the answer is handed over whole
  Start(limits);
  const std::string target = "/file.asp?length=" + std::to_string(kLength);
  struct Case {
    const char* what;
    std::string request;
  };
  const std::vector<Case> cases = {
      {"its connection closing", "GET " + target + " HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n"},
      {"its kept connection idle", "GET " + target + " HTTP/1.1\r\nHost: a\r\n\r\n"},
  };
  for (const Case& c : cases) {
    int sock = host_test::ConnectLoopback(server_->Port(), 4096);
    host_test::SendAll(sock, c.request);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(sock, reinterpret_cast<sockaddr*>(&local), &length);
    auto held = [&] {
      for (const SendBuffer& socket : ServerSendBuffers(server_->Port()))
        if (socket.client_port == ntohs(local.sin_port)) return true;
      return false;
    };
    // 4 KiB every 40 ms: about 1.6 s, past the send time-out; its first half
    // is still being sent past the idle time.
    std::string received;
    bool held_while_sending = true;
    char buffer[4096];
    ssize_t n = 0;
    for (pollfd readable{sock, POLLIN, 0}; ::poll(&readable, 1, 3000) > 0;) {
      if ((n = ::recv(sock, buffer, sizeof buffer, 0)) <= 0) break;
      received.append(buffer, static_cast<size_t>(n));
      if (received.size() < kLength / 2 && !held()) held_while_sending = false;
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    const char* end = n == 0 ? "an orderly end" : n < 0 ? std::strerror(errno) : "no end";
    EXPECT_EQ(n, 0) << c.what << ": " << end << " after " << received.size() << " bytes";
    ::close(sock);
    EXPECT_TRUE(held_while_sending) << c.what;
    std::vector<host_test::Answer> answers = host_test::AnswersIn(received);
    ASSERT_EQ(answers.size(), 1u) << c.what << ": " << received.size() << " bytes";
    EXPECT_TRUE(answers[0].body == "file\n" + Pattern(0, kLength)) << c.what << ": " << answers[0].body.size() << " bytes";
  }
}

TEST_F(SlowReadersTest, PastTheServersSpoolAnAnswerIsCutOffNotTheDisk) {
  host::ServerLimits limits;
  limits.max_spooled_output = 4 * kMiB;
  Start(limits);
  int sock = Ask("/output.asp?mib=64");
  // The page stops once the spool is full, and does not wait for the client.
  EXPECT_TRUE(PagesEnd(1, std::chrono::seconds(10)));
  host_test::Received received = host_test::ReadUntilClosed(sock, 5000);
  EXPECT_TRUE(received.closed);
  EXPECT_EQ(host_test::StatusOf(received.bytes), 200);
  EXPECT_LT(received.bytes.size(), 32 * kMiB);
  auto answer = server_->Client().Get("/hello.asp");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body, "hello");
}

}  // namespace
