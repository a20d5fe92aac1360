// The server in this process with pages of the test's own: what passes
// through the spools, headers a page cannot smuggle, requests side by side.
#include "host/site_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "host/in_process_server.h"
#include "host/raw_http.h"
#include "host/spool.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "support/http_client.h"
#include "support/temp_site.h"

namespace {

using host::Page;

std::atomic<int> g_inside{0};

void EchoBody(Page&) {
  asp::Context& context = *asp::CurrentContext();
  asp::Request& request = context.RequestObject();
  asp::Response& response = context.ResponseObject();
  response.SetContentType(u"application/octet-stream");
  for (std::string piece; !(piece = request.BinaryRead(50000)).empty();) {
    response.BinaryWrite(piece);
    response.Flush();
  }
}

void SmuggleHeaders(Page& page) {
  com::Call(page.Response, u"AddHeader", vb::String(u"X-Plain"), vb::String(u"fine"));
  // A line end never reaches the host: the response refuses it with error 5.
  try {
    com::Call(page.Response, u"AddHeader", vb::String(u"X-Split"), vb::String(u"a\r\nSet-Cookie: evil=1"));
  } catch (const vb::Error& e) {
    if (e.Number() != vb::kInvalidProcedureCall) throw;
  }
  com::Call(page.Response, u"AddHeader", vb::String(u"X Bad Name"), vb::String(u"b"));
  com::Call(page.Response, u"AddHeader", vb::String(u"Content-Length"), vb::String(u"1"));
  com::Call(page.Response, u"Write", vb::String(u"body"));
}

void ServerVariables(Page& page) {
  for (const char16_t* name : {u"PATH_INFO", u"SCRIPT_NAME", u"REMOTE_ADDR", u"HTTP_REMOTE_ADDR", u"HTTP_X_TEST",
                               u"QUERY_STRING"}) {
    vb::Variant value = com::Call(page.Request, u"ServerVariables", vb::String(name));
    com::Call(page.Response, u"Write", vb::String(name) + u"=" + vb::CStr(com::ValueOf(value)) + u"\n");
  }
}

// Answers "together" when four requests were inside the page at one time.
void Meet(Page& page) {
  ++g_inside;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (g_inside < 4 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  com::Call(page.Response, u"Write", vb::String(g_inside >= 4 ? u"together" : u"alone"));
}

void Fail(Page&) { vb::Raise(vb::kObjectRequired); }

void CountInSession(Page& page) {
  int32_t count = vb::CLng(com::Call(page.Session, u"", vb::String(u"n"))) + 1;
  com::Let(page.Session, u"", count, vb::String(u"n"));
  com::Call(page.Response, u"Write", vb::CStr(count));
}

// The count, after marking the session as a logged-in user's.
void SignInAndCount(Page& page) {
  com::Let(page.Session, u"", vb::String(u"1|bob"), vb::String(u"UserInfo"));
  CountInSession(page);
}

class SiteServerTest : public ::testing::Test {
 protected:
  static constexpr std::chrono::milliseconds kHeadTimeout{1000};
  static constexpr size_t kMaxSessions = 2;

  void SetUp() override {
    host::Pages pages;
    pages.Register(u"/echo.asp", &EchoBody);
    pages.Register(u"/headers.asp", &SmuggleHeaders);
    pages.Register(u"/variables.asp", &ServerVariables);
    pages.Register(u"/meet.asp", &Meet);
    pages.Register(u"/fail.asp", &Fail);
    pages.Register(u"/count.asp", &CountInSession);
    pages.Register(u"/signin.asp", &SignInAndCount);
    host::ServerLimits limits;
    limits.threads = 8;
    limits.max_body_bytes = 4 * host::Spool::kMemoryLimit;
    limits.head_timeout = kHeadTimeout;
    limits.max_sessions = kMaxSessions;
    server_ = std::make_unique<host_test::InProcessServer>(site_.SiteFolder(), std::move(pages), limits);
    port_ = server_->Port();
  }

  qe_test::HttpClient Client() const { return server_->Client(); }

  qe_test::TempSite site_;  // its end unmaps C:
  std::unique_ptr<host_test::InProcessServer> server_;
  int port_ = 0;
};

TEST_F(SiteServerTest, LargeBodiesAndOutputsPassWhole) {
  std::string body;
  for (uint32_t i = 0; body.size() < 3 * host::Spool::kMemoryLimit; ++i) body.push_back(static_cast<char>(i * 7919 >> 3));
  auto echoed = Client().Post("/echo.asp", body, "application/octet-stream");
  ASSERT_TRUE(echoed);
  EXPECT_EQ(echoed->status, 200);
  EXPECT_EQ(echoed->Header("Content-Type"), "application/octet-stream");
  EXPECT_TRUE(echoed->body == body) << echoed->body.size() << " bytes back for " << body.size();

  // Over the server's limit, whether the length is declared or not.
  std::string too_large(4 * host::Spool::kMemoryLimit + 1, 'x');
  auto refused = Client().Post("/echo.asp", too_large, "application/octet-stream");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 413);
  auto chunked = Client().PostChunked("/echo.asp", too_large, 65536);
  ASSERT_TRUE(chunked);
  EXPECT_EQ(chunked->status, 413);
}

TEST_F(SiteServerTest, HeadersThatWouldBreakTheResponseAreDropped) {
  auto answer = Client().Get("/headers.asp");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->Header("X-Plain"), "fine");
  EXPECT_FALSE(answer->HasHeader("X-Split"));
  EXPECT_FALSE(answer->HasHeader("Set-Cookie"));
  // The page's own length holds: not a byte more is sent.
  EXPECT_EQ(answer->Header("Content-Length"), "1");
  EXPECT_EQ(answer->body, "b");
}

TEST_F(SiteServerTest, ServerVariablesDescribeTheRequestAndNothingElse) {
  auto answer = Client().Get("/Variables.ASP?a=1", {{"X-Test", "yes"}, {"REMOTE_ADDR", "10.9.8.7"}});
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body,
            "PATH_INFO=/Variables.ASP\nSCRIPT_NAME=/Variables.ASP\nREMOTE_ADDR=127.0.0.1\nHTTP_REMOTE_ADDR=\n"
            "HTTP_X_TEST=yes\nQUERY_STRING=a=1\n");
}

TEST_F(SiteServerTest, RequestsRunSideBySide) {
  std::vector<std::thread> clients;
  std::atomic<int> together{0};
  for (int i = 0; i < 4; ++i)
    clients.emplace_back([&] {
      auto answer = Client().Get("/meet.asp");
      if (answer && answer->body == "together") ++together;
    });
  for (auto& t : clients) t.join();
  EXPECT_EQ(together, 4);
}

TEST_F(SiteServerTest, AFailingPageAnswers500AndTheServerGoesOn) {
  auto failed = Client().Get("/fail.asp");
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->status, 500);
  EXPECT_NE(failed->body.find("'800a01a8'"), std::string::npos);
  EXPECT_EQ(Client().Get("/variables.asp")->status, 200);
}

TEST_F(SiteServerTest, BeyondTheSessionLimitTheVisitorIdleLongestStartsAfresh) {
  // Each visitor: its cookie (set on the first visit) and what it was answered.
  auto visit = [&](qe_test::HttpHeaders& cookie) {
    auto answer = Client().Get("/count.asp", cookie);
    if (!answer) return std::string("no answer");
    std::string set = answer->Header("Set-Cookie");
    if (!set.empty()) cookie = {{"Cookie", set.substr(0, set.find(';'))}};
    return answer->body;
  };
  qe_test::HttpHeaders first, second, third;
  EXPECT_EQ(visit(first), "1");
  EXPECT_EQ(visit(second), "1");
  EXPECT_EQ(visit(first), "2");
  EXPECT_EQ(visit(third), "1");  // one more than the limit: the second goes
  EXPECT_EQ(visit(first), "3");
  EXPECT_EQ(visit(second), "1");
  EXPECT_EQ(visit(first), "4");
}

TEST_F(SiteServerTest, OutsidersAtTheSessionLimitNeverPushOutALoggedInUser) {
  auto visit = [&](const char* page, qe_test::HttpHeaders& cookie) {
    auto answer = Client().Get(page, cookie);
    if (!answer) return std::string("no answer");
    std::string set = answer->Header("Set-Cookie");
    if (!set.empty()) cookie = {{"Cookie", set.substr(0, set.find(';'))}};
    return answer->body;
  };
  qe_test::HttpHeaders user;
  EXPECT_EQ(visit("/signin.asp", user), "1");
  for (int i = 0; i < 30; ++i) {
    qe_test::HttpHeaders outsider;
    visit("/count.asp", outsider);
    ASSERT_EQ(visit("/count.asp", outsider), "2") << i;
    visit("/variables.asp", outsider);  // a page that keeps nothing
  }
  EXPECT_EQ(visit("/count.asp", user), "2");
}

TEST_F(SiteServerTest, AHostNameIsResolvedToAnAddressToListenOn) {
  host::SiteServer named(site_.SiteFolder(), host::Pages(), {});
  std::string why;
  EXPECT_GT(named.Bind("localhost", 0, &why), 0) << why;
}

TEST_F(SiteServerTest, AClientTooSlowWithItsHeadIsCutOff) {
  int sock = host_test::ConnectLoopback(port_);
  ASSERT_GE(sock, 0);
  std::string answer;
  auto start = std::chrono::steady_clock::now();
  // A header line every 200 ms, each well within the read timeout, for as
  // long as the server listens (five times the head timeout at most).
  if (host_test::SendAll(sock, "GET /variables.asp HTTP/1.1\r\nHost: a\r\n")) {
    for (int i = 0; i < 25 && answer.empty(); ++i) {
      if (!host_test::SendAll(sock, "X-Slow: a\r\n")) break;
      answer = host_test::ReadAnswer(sock, 200);
    }
  }
  if (answer.empty()) answer = host_test::ReadAnswer(sock, 1000);
  auto waited = std::chrono::steady_clock::now() - start;
  ::close(sock);
  EXPECT_EQ(host_test::StatusOf(answer), 408) << answer;
  EXPECT_LT(waited, 5 * kHeadTimeout);
  EXPECT_EQ(Client().Get("/variables.asp")->status, 200);
}

}  // namespace
