// What slow, idle and too many clients get from the server, and what they
// cannot take from the others: page workers, connections beyond the limit,
// time without end.
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "host/client_slots.h"
#include "host/in_process_server.h"
#include "host/raw_http.h"
#include "host/request_parser.h"
#include "platform/com/object.h"
#include "support/temp_site.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

void Hello(host::Page& page) { com::Call(page.Response, u"Write", vb::String(u"hello")); }

std::string Pattern(size_t length) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
  return bytes;
}

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
  void CloseHeld() {
    for (int sock : held_)
      if (sock >= 0) ::close(sock);
    held_.clear();
  }
  void TearDown() override { CloseHeld(); }

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

// At the limit a newcomer makes room by closing a waiting connection of the
// client holding the most: through a flood of kept connections an upload at
// its pace and a visitor's kept connection stay, and other visitors are
// served. Only when every connection's request is under way (its answer taken
// at its pace) is it refused.
TEST_F(LimitsTest, AtTheConnectionLimitTheClientHoldingMostMakesRoomElseANewcomerIsRefused) {
  site_.WriteFile("site/big.zip", std::string(16 << 20, 'b'));
  site_.WriteFile("site/mid.zip", std::string(200000, 'm'));
  const std::string hello = "GET /hello.asp HTTP/1.1\r\nHost: a\r\n\r\n";
  host::ServerLimits limits;
  limits.max_connections = 8;
  limits.max_connections_per_client = 100;
  limits.send_buffer_start = 256 * 1024;  // mid.zip is handed over whole
  limits.body_rate_window = milliseconds(1000);  // the window of the least pace
  Start(limits);
  int visitor = host_test::ConnectLoopback(Port(), 0, "127.0.0.2");
  held_.push_back(visitor);
  host_test::SendAll(visitor, hello);
  EXPECT_EQ(host_test::StatusOf(host_test::ReadAnswer(visitor, 300)), 200);

  // 384 KiB at 400 KiB/s, far above the least pace.
  const std::string body = Pattern(384 * 1024);
  std::atomic<bool> uploading = true;
  std::string uploaded;
  std::thread upload([&] {
    int sock = host_test::ConnectLoopback(Port(), 0, "127.0.0.3");
    host_test::SendAll(sock, "POST /echo.asp HTTP/1.1\r\nHost: a\r\nConnection: close\r\nContent-Length: " +
                                 std::to_string(body.size()) + "\r\n\r\n");
    for (size_t at = 0; at < body.size(); at += 16 * 1024) {
      std::this_thread::sleep_for(milliseconds(40));
      if (!host_test::SendAll(sock, std::string_view(body).substr(at, 16 * 1024))) break;
    }
    uploaded = host_test::ReadAnswer(sock, 2000);
    ::close(sock);
    uploading = false;
  });
  // The flood: from two addresses, a kept connection every 10 ms that asks
  // once and waits.
  int flooded = 0;
  for (; uploading && flooded < 500; ++flooded) {
    int sock = host_test::ConnectLoopback(Port(), 0, flooded % 2 ? "127.0.0.4" : "127.0.0.5");
    held_.push_back(sock);
    host_test::SendAll(sock, hello);
    std::this_thread::sleep_for(milliseconds(10));
  }
  upload.join();
  EXPECT_GT(flooded, 50);
  std::vector<host_test::Answer> answers = host_test::AnswersIn(uploaded);
  ASSERT_EQ(answers.size(), 1u) << uploaded.substr(0, 200);
  EXPECT_EQ(answers[0].status, 200);
  EXPECT_TRUE(answers[0].body == body) << answers[0].body.size() << " bytes came back";
  host_test::SendAll(visitor, hello);
  EXPECT_EQ(host_test::StatusOf(host_test::ReadAnswer(visitor, 500)), 200) << "the visitor's kept connection";
  const std::string once = "GET /hello.asp HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n";
  EXPECT_EQ(host_test::StatusOf(host_test::Exchange(Port(), once, 500, "127.0.0.6").bytes), 200);

  // Of connections that wait, one that began a head and stopped goes with 408.
  CloseHeld();
  std::this_thread::sleep_for(milliseconds(100));  // the server has seen them go
  std::vector<int> waiting = Open(1);
  host_test::SendAll(waiting[0], "GET /hello.asp HTTP/1.1\r\nHost: a\r\n");
  std::this_thread::sleep_for(milliseconds(50));
  Open(7);
  EXPECT_EQ(host_test::StatusOf(host_test::Exchange(Port(), once, 500, "127.0.0.2").bytes), 200);
  host_test::Received oldest = host_test::ReadUntilClosed(waiting[0], 2000);
  EXPECT_TRUE(oldest.closed);
  EXPECT_EQ(host_test::StatusOf(oldest.bytes), 408) << oldest.bytes;
  CloseHeld();

  // Answers handed over whole whose clients take none of their end: once
  // they are behind the least pace, one makes room.
  // (Each is answered: the connections of the steps above are gone.)
  for (int answered = 0, tries = 0; answered < 8 && tries < 50; ++tries) {
    int reader = host_test::ConnectLoopback(Port(), 4096);
    host_test::SendAll(reader, "GET /mid.zip HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n");
    pollfd begun{reader, POLLIN, 0};
    char status[12] = {};
    ::poll(&begun, 1, 2000);
    ::recv(reader, status, sizeof status, MSG_PEEK);  // its end stays untaken
    if (host_test::StatusOf(std::string(status, sizeof status)) == 200) {
      held_.push_back(reader);
      ++answered;
    } else {
      ::close(reader);
      std::this_thread::sleep_for(milliseconds(50));
    }
  }
  ASSERT_EQ(held_.size(), 8u);
  std::this_thread::sleep_for(milliseconds(2500));
  EXPECT_EQ(host_test::StatusOf(host_test::Exchange(Port(), once, 500, "127.0.0.2").bytes), 200);
  CloseHeld();
  std::this_thread::sleep_for(milliseconds(100));

  // Full of answers under way, their clients taking them at their pace: a
  // newcomer is refused, and its refusals hold none of its client's slots
  // (more of them than a client may hold at once).
  std::atomic<bool> reading = true;
  std::vector<std::thread> readers;
  for (int i = 0; i < 8; ++i) {
    int reader = host_test::ConnectLoopback(Port(), 4096);
    held_.push_back(reader);
    host_test::SendAll(reader, "GET /big.zip HTTP/1.1\r\nHost: a\r\n\r\n");
    readers.emplace_back([reader, &reading] {
      char buffer[16384];
      while (reading && ::recv(reader, buffer, sizeof buffer, 0) > 0) std::this_thread::sleep_for(milliseconds(100));
    });
  }
  std::this_thread::sleep_for(milliseconds(1500));  // past the window an answer begins with
  for (size_t i = 0; i <= limits.max_connections_per_client; ++i) {
    host_test::Received refused = host_test::Exchange(Port(), hello, 2000, "127.0.0.2");
    EXPECT_EQ(host_test::StatusOf(refused.bytes), 503) << refused.bytes;
    EXPECT_NE(refused.bytes.find("503 Service Unavailable\n"), std::string::npos);
    EXPECT_TRUE(refused.closed);
  }
  reading = false;
  for (auto& reader : readers) reader.join();
  CloseHeld();
  int status = 0;
  for (auto deadline = Clock::now() + std::chrono::seconds(5); Clock::now() < deadline && status != 200;) {
    status = host_test::StatusOf(host_test::Exchange(Port(), hello, 1000, "127.0.0.2").bytes);
    std::this_thread::sleep_for(milliseconds(20));
  }
  EXPECT_EQ(status, 200) << "a client refused while the server was full is served once it has room";
}

// A kept connection whose client still takes its last answer is spared at
// the limit, and once it has taken it, it may make room like any other. Its
// next request keeps a pace of its own: a head that stalls after its first
// line is not spared for the answer before it.
TEST_F(LimitsTest, AtTheConnectionLimitOneTakingItsLastAnswerIsSparedThenMayMakeRoom) {
  const std::string mid(200000, 'm');
  site_.WriteFile("site/mid.zip", mid);
  host::ServerLimits limits;
  limits.max_connections = 8;
  limits.max_connections_per_client = 100;
  limits.send_buffer_start = 256 * 1024;  // mid.zip is handed over whole
  const std::string once = "GET /hello.asp HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n";
  for (const bool next_head_stalls : {true, false}) {
    SCOPED_TRACE(next_head_stalls ? "its next head stalls" : "it takes its answer");
    Start(limits);
    int taking = host_test::ConnectLoopback(Port(), 4096);
    held_.push_back(taking);
    host_test::SendAll(taking, "GET /mid.zip HTTP/1.1\r\nHost: a\r\n\r\n");
    pollfd begun{taking, POLLIN, 0};
    ASSERT_EQ(::poll(&begun, 1, 2000), 1);
    if (next_head_stalls) host_test::SendAll(taking, "GET /hello.asp HTTP/1.1\r\n");
    std::this_thread::sleep_for(milliseconds(100));  // handed over, the connection kept
    std::vector<int> kept = Open(7);

    EXPECT_EQ(host_test::StatusOf(host_test::Exchange(Port(), once, 500, "127.0.0.2").bytes), 200);
    if (next_head_stalls) {
      EXPECT_TRUE(host_test::ReadUntilClosed(taking, 2000).closed) << "the stalled head, waiting longest, made room";
      int reset = 0;
      for (int sock : kept) reset += host_test::ReadUntilClosed(sock, 100).closed;
      EXPECT_EQ(reset, 0);
      CloseHeld();
      continue;
    }
    std::vector<host_test::Answer> answers = host_test::AnswersIn(host_test::ReadAnswer(taking, 300));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(answers[0].body == mid) << answers[0].body.size() << " bytes came";
    int reset = 0;
    for (int sock : kept) reset += host_test::ReadUntilClosed(sock, 100).closed;
    EXPECT_EQ(reset, 1) << "one of the others made room";

    Open(1);  // the limit again
    std::this_thread::sleep_for(milliseconds(1100));  // past the time it was spared for
    EXPECT_EQ(host_test::StatusOf(host_test::Exchange(Port(), once, 500, "127.0.0.2").bytes), 200);
    EXPECT_TRUE(host_test::ReadUntilClosed(taking, 500).closed) << "the longest waiting of its client made room";
  }
}

TEST_F(LimitsTest, PastItsShareOfTheConnectionsAClientIsRefusedAndTheOthersServed) {
  host::ServerLimits limits;
  limits.max_connections_per_client = 2;
  Start(limits);
  for (int sock : Open(2)) host_test::SendAll(sock, "GET /hello.asp HTTP/1.1\r\n");
  const std::string hello = "GET /hello.asp HTTP/1.1\r\nHost: a\r\n\r\n";
  EXPECT_EQ(host_test::StatusOf(host_test::Exchange(Port(), hello, 2000).bytes), 503);
  EXPECT_EQ(host_test::StatusOf(host_test::Exchange(Port(), hello, 500, "127.0.0.2").bytes), 200);
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
  limits.body_disk_budget = limits.body_disk_per_client = 100 * 1024;
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

// A head being read, and a parsed head whose body has not come whole,
// count alike: the one waiting longest goes. A parsed head counts what its
// fields hold, which for many short ones is well past the buffer it was
// read in.
TEST_F(LimitsTest, PastTheHeadsBudgetTheRequestWaitingLongestIsDropped) {
  const std::string post = "POST /echo.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 10\r\n";
  std::string long_fields, short_fields;
  for (int line = 0; line < 60; ++line) long_fields += "X-Long-" + std::to_string(line) + ": " + std::string(1000, 'x') + "\r\n";
  for (int line = 0; line < 98; ++line) short_fields += "X-Short-Field-" + std::to_string(100 + line) + ": " + std::string(16, 'y') + "\r\n";
  host::RequestParser parsed({});
  ASSERT_EQ(parsed.ReadHead(post + short_fields + "\r\n"), host::RequestParser::Step::kDone);
  const uint64_t short_head = host::HeldMemory(parsed.Head());
  ASSERT_GT(short_head, 12u * 1024) << "the fields hold more than the 6 KiB they came in";
  struct Case {
    const char* what;
    std::vector<std::string> sent;  // in turn, 100 ms apart
    uint64_t budget;
  };
  const std::vector<Case> cases = {
      {"three heads of 60 KiB being read, after one whose body has not come",
       {post + long_fields + "\r\nabc", "GET /hello.asp HTTP/1.1\r\nHost: a\r\n" + long_fields,
        "GET /hello.asp HTTP/1.1\r\nHost: a\r\n" + long_fields, "GET /hello.asp HTTP/1.1\r\nHost: a\r\n" + long_fields},
       200 * 1024},
      {"three parsed heads of short fields whose bodies have not come, and a fourth",
       std::vector<std::string>(4, post + short_fields + "\r\n"), 3 * short_head + 4 * 1024},
  };
  for (const Case& c : cases) {
    host::ServerLimits limits;
    limits.head_memory_budget = c.budget;
    Start(limits);
    std::vector<int> heads;
    for (const std::string& sent : c.sent) {
      heads.push_back(Open(1)[0]);
      host_test::SendAll(heads.back(), sent);
      std::this_thread::sleep_for(milliseconds(100));
    }
    host_test::Received oldest = host_test::ReadUntilClosed(heads[0], 2000);
    EXPECT_TRUE(oldest.closed) << c.what;
    EXPECT_EQ(host_test::StatusOf(oldest.bytes), 408) << c.what << "\n" << oldest.bytes;
    for (size_t i = 1; i < heads.size(); ++i) EXPECT_FALSE(host_test::ReadUntilClosed(heads[i], 50).closed) << c.what << " " << i;
    auto answer = server_->Client().Get("/hello.asp");
    ASSERT_TRUE(answer) << c.what;
    EXPECT_EQ(answer->body, "hello") << c.what;
    CloseHeld();
  }
}

// An upload whose body comes at its pace holds its parsed head as long as it
// lasts: past the budget the heads that wait go, and the upload is answered.
TEST_F(LimitsTest, PastTheHeadsBudgetAnUploadAtItsPaceIsPassedOver) {
  std::string fields;
  for (int line = 0; line < 96; ++line) fields += "X-Short-Field-" + std::to_string(100 + line) + ": " + std::string(16, 'y') + "\r\n";
  const std::string body = Pattern(48 * 1024);
  const std::string upload_head = "POST /echo.asp HTTP/1.1\r\nHost: a\r\nConnection: close\r\nContent-Length: " +
                                  std::to_string(body.size()) + "\r\n" + fields + "\r\n";
  const std::string waiting_head = "POST /echo.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 10\r\n" + fields + "\r\n";
  host::RequestParser parsed({});
  ASSERT_EQ(parsed.ReadHead(upload_head), host::RequestParser::Step::kDone);
  host::ServerLimits limits;
  limits.head_memory_budget = 3 * host::HeldMemory(parsed.Head()) + 4 * 1024;
  Start(limits);
  const int upload = Open(1)[0];
  host_test::SendAll(upload, upload_head + body.substr(0, 4096));
  std::thread uploading([&] {
    for (size_t at = 4096; at < body.size(); at += 4096) {
      std::this_thread::sleep_for(milliseconds(50));
      if (!host_test::SendAll(upload, std::string_view(body).substr(at, 4096))) break;
    }
  });
  std::vector<int> waiting;
  for (int i = 0; i < 3; ++i) {
    std::this_thread::sleep_for(milliseconds(100));
    waiting.push_back(Open(1)[0]);
    host_test::SendAll(waiting.back(), waiting_head);
  }
  uploading.join();
  host_test::Received dropped = host_test::ReadUntilClosed(waiting[0], 2000);
  EXPECT_TRUE(dropped.closed);
  EXPECT_EQ(host_test::StatusOf(dropped.bytes), 408) << dropped.bytes;
  std::vector<host_test::Answer> answers = host_test::AnswersIn(host_test::ReadAnswer(upload, 2000));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].status, 200);
  EXPECT_TRUE(answers[0].body == body) << answers[0].body.size() << " bytes came back";
  for (size_t i = 1; i < waiting.size(); ++i) EXPECT_FALSE(host_test::ReadUntilClosed(waiting[i], 50).closed) << i;
  CloseHeld();
}

// Heads sent at once from a few addresses fill the heads' budget, each of
// them at its pace for the window its bytes bought: the addresses past their
// share give up their own, so a visitor's whole request is served, and an
// upload at its pace beside them completes whole.
TEST_F(LimitsTest, PastTheHeadsBudgetAddressesPastTheirShareGiveUpTheirOwnHeads) {
  host::ServerLimits limits;
  limits.head_memory_budget = 512 * 1024;
  limits.max_connections_per_client = 100;
  Start(limits);
  const std::string body = Pattern(256 * 1024);
  std::string answered;
  std::thread upload([&] {
    int sock = host_test::ConnectLoopback(Port(), 0, "127.0.0.3");
    host_test::SendAll(sock, "POST /echo.asp HTTP/1.1\r\nHost: a\r\nConnection: close\r\nContent-Length: " +
                                 std::to_string(body.size()) + "\r\n\r\n");
    for (size_t at = 0; at < body.size(); at += 4096) {  // 64 KiB/s, from the head on
      if (!host_test::SendAll(sock, std::string_view(body).substr(at, 4096))) break;
      std::this_thread::sleep_for(milliseconds(62));
    }
    answered = host_test::ReadAnswer(sock, 2000);
    ::close(sock);
  });
  // Each read into a buffer of its own (8 KiB): the budget is full to less
  // than one of them.
  std::string head = "GET /hello.asp HTTP/1.1\r\nHost: a\r\n";
  for (int line = 0; line < 22; ++line) head += "X-" + std::to_string(line) + ": " + std::string(250, 'h') + "\r\n";
  for (int i = 0; i < 100; ++i) {
    held_.push_back(host_test::ConnectLoopback(Port(), 0, i % 2 ? "127.0.0.4" : "127.0.0.5"));
    host_test::SendAll(held_.back(), head);
  }
  // A bare request fits into what the heads left of the budget; one with
  // some fields (cookies, a form's head) needs room made.
  const std::string form = "a=" + std::string(2000, 'v');
  std::string fields;
  for (int line = 0; line < 10; ++line) fields += "X-Visitor-" + std::to_string(line) + ": " + std::string(1000, 'v') + "\r\n";
  struct Visit {
    std::string request, body;
  };
  const std::vector<Visit> visits = {
      {"GET /hello.asp HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n", "hello"},
      {"GET /hello.asp HTTP/1.1\r\nHost: a\r\nConnection: close\r\n" + fields + "\r\n", "hello"},
      {"POST /echo.asp HTTP/1.1\r\nHost: a\r\nConnection: close\r\nContent-Length: " + std::to_string(form.size()) +
           "\r\n" + fields + "\r\n" + form,
       form},
  };
  for (int round = 0; round < 3; ++round) {
    for (const Visit& visit : visits) {
      std::vector<host_test::Answer> answers =
          host_test::AnswersIn(host_test::Exchange(Port(), visit.request, 1000, "127.0.0.2").bytes);
      ASSERT_EQ(answers.size(), 1u) << visit.request.substr(0, 20);
      EXPECT_EQ(answers[0].status, 200) << visit.request.substr(0, 20);
      EXPECT_EQ(answers[0].body, visit.body) << visit.request.substr(0, 20);
    }
  }
  upload.join();
  std::vector<host_test::Answer> answers = host_test::AnswersIn(answered);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].status, 200);
  EXPECT_TRUE(answers[0].body == body) << answers[0].body.size() << " bytes came back";
}

TEST(ClientSlots, AnAddressIsOneClientAndAnIPv6OneItsSlash64) {
  namespace ip = boost::asio::ip;
  EXPECT_EQ(host::ClientOf(ip::make_address("10.0.0.7")), "10.0.0.7");
  EXPECT_EQ(host::ClientOf(ip::make_address("::ffff:10.0.0.7")), "10.0.0.7");
  EXPECT_EQ(host::ClientOf(ip::make_address("2001:db8:1:2:aaaa::1")), host::ClientOf(ip::make_address("2001:db8:1:2::9")));
  EXPECT_NE(host::ClientOf(ip::make_address("2001:db8:1:2::1")), host::ClientOf(ip::make_address("2001:db8:1:3::1")));
}

// Who makes room at the server's limit: a client holding more connections
// than the newcomer's and more than a few gives up its own (one that waits,
// else its longest-held, whether or not it waits); else a waiting connection
// of the client holding the most, if it holds as many as the newcomer's
// (ties: the one waiting longest); never one that may not go. Each chosen connection then closes, and its client holds
// one less.
TEST(ClientSlots, AClientPastItsShareGivesUpItsOwnElseTheClientHoldingMostItsLongestWaiting) {
  struct Connection {
    std::string client;
    host::ClientSlots::Ticks since;  // since when it waits; 0: its request is being answered
    bool may_go = true;
  };
  struct Case {
    const char* what;
    std::vector<Connection> connections;  // opened in turn
    std::string newcomer;
    std::vector<size_t> closed;  // in turn, until none may go
  };
  std::vector<Connection> flood(10, Connection{"flood", 0});
  flood[5].since = 3;
  flood.push_back({"upload", 0});
  flood.push_back({"upload", 0});
  const std::vector<Case> cases = {
      {"a flood's kept connections go before a visitor's older one",
       {{"flood", 5}, {"flood", 2}, {"flood", 9}, {"visitor", 1}}, "new", {1, 0, 3, 2}},
      {"a client whose connections are all answered is passed over",
       {{"busy", 0}, {"busy", 0}, {"busy", 0}, {"other", 7}, {"other", 3}}, "new", {4, 3}},
      {"one that may not go stays, and its client's next goes", {{"a", 1, false}, {"a", 4}, {"a", 6}, {"b", 2}}, "new",
       {1, 2, 3}},
      {"past its share a client gives up its waiting one, then its longest-held, down to a few; an upload's stays",
       flood, "visitor", {5, 0}},
      {"a newcomer of the client holding the most: only what waits goes", flood, "flood", {5}},
      {"... and only from a client holding as many", {{"visitor", 1}, {"flood", 0}, {"flood", 0}}, "flood", {}},
  };
  for (const Case& c : cases) {
    host::ClientSlots slots(100);
    for (size_t i = 0; i < c.connections.size(); ++i) {
      ASSERT_TRUE(slots.Take(c.connections[i].client));
      slots.Opened(c.connections[i].client, &c.connections[i], static_cast<host::ClientSlots::Ticks>(i + 1));
      if (c.connections[i].since) slots.Waits(c.connections[i].client, &c.connections[i], c.connections[i].since);
    }
    ASSERT_TRUE(slots.Take(c.newcomer));
    std::vector<size_t> closed;
    auto may_go = [](const void* connection) { return static_cast<const Connection*>(connection)->may_go; };
    while (const void* chosen = slots.ChooseToClose(c.newcomer, may_go, may_go).connection) {
      const auto* connection = static_cast<const Connection*>(chosen);
      closed.push_back(static_cast<size_t>(connection - c.connections.data()));
      slots.Closed(connection);
      slots.Give(connection->client);
    }
    EXPECT_EQ(closed, c.closed) << c.what;
  }
  // A connection that waits anew is ranked by when it began to; one that
  // is busy again is no longer chosen.
  host::ClientSlots slots(100);
  const int first = 0, second = 0, third = 0;
  for (int i = 0; i < 3; ++i) slots.Take("a");
  slots.Waits("a", &first, 1);
  slots.Waits("a", &second, 2);
  slots.Waits("a", &third, 3);
  slots.Waits("a", &first, 4);
  slots.Busy(&second);
  auto anyone = [](const void*) { return true; };
  EXPECT_EQ(slots.ChooseToClose("b", anyone, anyone).connection, &third);
  slots.Busy(&third);
  EXPECT_EQ(slots.ChooseToClose("b", anyone, anyone).connection, &first);
  slots.Busy(&first);
  EXPECT_EQ(slots.ChooseToClose("b", anyone, anyone).connection, nullptr);
}

// Past the heads' budget a client holding more of it than the newcomer's
// would, and more than a few heads, gives up the head it began first,
// whether or not it comes at its pace; below that none.
TEST(ClientSlots, PastTheHeadsBudgetTheClientHoldingMostOfItGivesUpItsFirstHead) {
  host::ClientSlots slots(100);
  const int heads[3] = {}, upload = 0;
  for (const int& head : heads) {
    slots.Opened("flood", &head, 1);
    slots.HoldsHead(&head, 60 * 1024, 10 - (&head - heads));  // the last one began first
  }
  slots.Opened("upload", &upload, 1);
  slots.HoldsHead(&upload, 2 * 1024, 1);
  auto anyone = [](const void*) { return true; };
  EXPECT_EQ(slots.ChooseHeadToDrop("visitor", 1024, anyone), &heads[2]);
  EXPECT_EQ(slots.ChooseHeadToDrop("flood", 1024, anyone), nullptr) << "its own newcomer";
  slots.HoldsHead(&heads[2], 0, 0);
  EXPECT_EQ(slots.ChooseHeadToDrop("visitor", 1024, anyone), nullptr) << "120 KiB are a few heads";
  slots.HoldsHead(&heads[2], 60 * 1024, 20);
  EXPECT_EQ(slots.ChooseHeadToDrop("visitor", 1024, [&](const void* head) { return head != &heads[1]; }), &heads[0]);
}

// A refused body's file goes with its refusal, not with its connection.
TEST_F(LimitsTest, ARefusedBodyGivesItsDiskBackAtOnce) {
  host::ServerLimits limits;
  limits.body_memory_budget = 0;  // every body to its file
  limits.body_disk_budget = limits.body_disk_per_client = 1 << 20;
  Start(limits);
  int refused = host_test::ConnectLoopback(Port());
  held_.push_back(refused);
  host_test::SendAll(refused, "POST /echo.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 3000000\r\n\r\n" +
                                  std::string((1 << 20) + 4096, 'x'));
  EXPECT_EQ(host_test::StatusOf(host_test::ReadAnswer(refused, 500)), 503);
  // Its connection lingers, open, while another body comes.
  std::string within = "POST /echo.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 716800\r\n\r\n" + std::string(716800, 'y');
  EXPECT_EQ(host_test::StatusOf(host_test::Exchange(Port(), within, 500).bytes), 200);
}

// A body nobody reads is read a little way for a little while; then the
// request is answered and the connection closed, however much the client
// says is to come.
TEST_F(LimitsTest, ABodyNobodyReadsIsReadALittleWayForALittleWhile) {
  host::ServerLimits limits;
  limits.dropped_body_timeout = milliseconds(300);
  Start(limits);
  struct Case {
    const char* what;
    std::string head;
    std::string piece;  // sent every 50 ms until the answer comes
  };
  const std::vector<Case> cases = {
      {"a long one", "GET /hello.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 100000000\r\n\r\n", std::string(16384, 'x')},
      {"one that trickles", "GET /hello.asp HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n", "1\r\nx\r\n"},
  };
  for (const Case& c : cases) {
    int sock = host_test::ConnectLoopback(Port());
    host_test::SendAll(sock, c.head);
    std::string answer;
    for (int i = 0; i < 60 && answer.empty() && host_test::SendAll(sock, c.piece); ++i)
      answer = host_test::ReadAnswer(sock, 50);
    host_test::Received rest = host_test::ReadUntilClosed(sock, 2000);
    ::close(sock);
    answer += rest.bytes;
    EXPECT_EQ(host_test::StatusOf(answer), 200) << c.what << "\n" << answer;
    EXPECT_NE(answer.find("\r\nConnection: close\r\n"), std::string::npos) << c.what;
    EXPECT_TRUE(answer.ends_with("hello")) << c.what;
    EXPECT_TRUE(rest.closed) << c.what;
  }
}

// One that comes fast, in chunks whose sum no head declares, is cut off by
// its size well within its time: the server never reads the whole of it to
// keep the connection, so the request pipelined after it is not answered.
TEST_F(LimitsTest, AFastBodyNobodyReadsIsCutOffByItsSizeNotItsTime) {
  Start({});
  std::string request = "GET /hello.asp HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (int chunk = 0; chunk < 64; ++chunk) request += "10000\r\n" + std::string(0x10000, 'x') + "\r\n";
  request += "0\r\n\r\nGET /hello.asp HTTP/1.1\r\nHost: a\r\n\r\n";
  int sock = host_test::ConnectLoopback(Port());
  // Sent beside the reading: the server answers before it has read the rest.
  std::thread sender([&] { host_test::SendAll(sock, request); });
  host_test::Received received = host_test::ReadUntilClosed(sock, 3000);
  sender.join();
  ::close(sock);
  std::vector<host_test::Answer> answers = host_test::AnswersIn(received.bytes);
  ASSERT_EQ(answers.size(), 1u) << received.bytes.substr(0, 300);
  EXPECT_EQ(answers[0].body, "hello");
  EXPECT_NE(answers[0].head.find("\r\nConnection: close"), std::string::npos) << answers[0].head;
  EXPECT_TRUE(received.closed);
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
