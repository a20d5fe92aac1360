// `qe serve` driven over HTTP, as a browser and a hostile client drive it.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <regex>
#include <thread>
#include <vector>

#include "common/system_title.h"
#include "host/raw_http.h"
#include "host/serve_process.h"
#include "platform/text/ansi.h"
#include "support/file_content.h"
#include "support/http_client.h"
#include "support/temp_site.h"

namespace {

using host_test::SendRaw;
using host_test::StatusOf;

// The page's text, read in the server's code page.
std::string Text(const std::optional<qe_test::HttpAnswer>& result) { return vb::ToUtf8(text::DecodeAnsi(result->body)); }

std::string SessionCookieOf(const std::optional<qe_test::HttpAnswer>& result) {
  std::string set_cookie = result->Header("Set-Cookie");
  return set_cookie.substr(0, set_cookie.find(';'));
}

class ServeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    site_ = new qe_test::TempSite;
    site_->WriteFile("site/qe/hello.txt", "hello");
    site_->WriteFile("site/qe/notes.xyz", "notes");
    site_->WriteFile("site/qe/secret.asp", "<% source %>");
    site_->WriteFile("site/data/x", "secret data");
    site_->WriteFile("site/data/notes.txt", "secret notes");
    site_->WriteFile("site/data_backup/night/Config.htm", "secret login");
    site_->WriteFile("site/AutoBackup/x/notes.txt", "secret copy");
    site_->WriteFile("site/Temp/t.txt", "secret scratch");
    std::filesystem::create_directory_symlink("data", site_->SiteFolder() / "link");
    server_ = new host_test::ServeProcess(site_->SiteFolder());
  }
  static void TearDownTestSuite() {
    delete server_;
    delete site_;
  }

  qe_test::HttpClient Browser() const { return qe_test::HttpClient(server_->Port(), std::chrono::seconds(10)); }
  std::string Origin() const { return "http://127.0.0.1:" + std::to_string(server_->Port()); }

  static qe_test::TempSite* site_;
  static host_test::ServeProcess* server_;
};

qe_test::TempSite* ServeTest::site_ = nullptr;
host_test::ServeProcess* ServeTest::server_ = nullptr;

TEST_F(ServeTest, RootLeadsToTheStartPageWhichShowsTheSystemTitle) {
  auto client = Browser();
  auto root = client.Get("/");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->status, 302);
  EXPECT_EQ(root->Header("Location"), "/qe/index.asp");

  auto page = client.Get("/qe/index.asp");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->Header("Content-Type"), "text/html; charset=gb2312");
  std::string text = Text(page);
  EXPECT_NE(text.find("<title>" + vb::ToUtf8(qe::SystemTitle()) + "</title>"), std::string::npos);
  // Pages are found in any letter case, as the server finds their files.
  EXPECT_EQ(client.Get("/QE/Index.ASP")->status, 200);
}

TEST_F(ServeTest, RefusedRequestsGetTheErrorPage) {
  auto client = Browser();
  auto injected = client.Get("/qe/index.asp?id=1%27");
  ASSERT_TRUE(injected);
  EXPECT_EQ(injected->status, 200);
  EXPECT_NE(Text(injected).find("对不起，请不要在参数中包含非法字符尝试注入！</ul>"), std::string::npos);
  EXPECT_EQ(Text(injected).find("<h1>"), std::string::npos);  // the page stopped there

  const char kForeign[] = "您提交的数据不合法，请不要从外部提交数据。";
  auto foreign = client.Post("/qe/index.asp", "a=1", "application/x-www-form-urlencoded",
                             {{"Referer", "http://elsewhere.example/form.asp"}});
  ASSERT_TRUE(foreign);
  EXPECT_NE(Text(foreign).find(kForeign), std::string::npos);
  EXPECT_EQ(Text(foreign).find("<h1>"), std::string::npos);

  auto own = client.Post("/qe/index.asp", "a=1", "application/x-www-form-urlencoded",
                         {{"Referer", Origin() + "/qe/index.asp"}});
  ASSERT_TRUE(own);
  EXPECT_EQ(Text(own).find(kForeign), std::string::npos);
  EXPECT_NE(Text(own).find("<h1>"), std::string::npos);
}

TEST_F(ServeTest, DatabaseFoldersAreNeverServedHoweverTheyAreNamed) {
  auto client = Browser();
  ASSERT_EQ(client.Get("/qe/index.asp")->status, 200);  // the page has made both databases
  std::string database_head;
  for (const char* name : {"site/data/qe.asp", "site/data/Config.htm"}) {
    std::string head = qe_test::FileContent(site_->Host(name)).substr(0, 64);
    ASSERT_EQ(head.size(), 64u) << name;
    database_head += head;
  }
  for (const char* path : {"/data/x", "/DATA/X", "/Data/x", "/data/qe.asp", "/data/QE.ASP", "/Data/Config.htm",
                           "/data/config.htm", "/dAtA/cOnFiG.HtM", "/data./x", "/data%20/x", "/%64ata/x",
                           "/data/notes.txt", "/DATA/Notes.TXT", "/link/notes.txt", "/LINK/NOTES.txt",
                           "/link/qe.asp", "/Link/Config.htm"}) {
    auto answer = client.Get(path);
    ASSERT_TRUE(answer) << path;
    EXPECT_EQ(answer->status, 404) << path;
    EXPECT_EQ(answer->body.find("secret"), std::string::npos) << path;
    for (size_t at = 0; at < database_head.size(); at += 64)
      EXPECT_EQ(answer->body.find(database_head.substr(at, 64)), std::string::npos) << path;
  }
  // A path that climbs out of a folder is not taken apart: it is refused.
  EXPECT_EQ(StatusOf(SendRaw(server_->Port(), "GET /qe/../data/x HTTP/1.1\r\nHost: a\r\n\r\n")), 400);
}

// Backups, safety copies and scratch files are the data's too.
TEST_F(ServeTest, BackupAndScratchFoldersAreNeverServed) {
  auto client = Browser();
  for (const char* path : {"/data_backup/night/Config.htm", "/DATA_BACKUP/NIGHT/config.htm", "/AutoBackup/x/notes.txt",
                           "/autobackup/X/Notes.txt", "/Temp/t.txt", "/temp/T.TXT", "/data_backup./night/Config.htm"}) {
    auto answer = client.Get(path);
    ASSERT_TRUE(answer) << path;
    EXPECT_EQ(answer->status, 404) << path;
    EXPECT_EQ(answer->body.find("secret"), std::string::npos) << path;
  }
}

TEST_F(ServeTest, StaticFilesAreSentByTypeAndPageSourcesAreNot) {
  auto client = Browser();
  auto hello = client.Get("/Qe/HELLO.txt");
  ASSERT_TRUE(hello);
  EXPECT_EQ(hello->status, 200);
  EXPECT_EQ(hello->body, "hello");
  EXPECT_EQ(hello->Header("Content-Type"), "text/plain");

  auto again = client.Get("/qe/hello.txt", {{"If-Modified-Since", hello->Header("Last-Modified")}});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 304);
  EXPECT_EQ(again->body, "");

  for (const char* path : {"/qe/notes.xyz", "/qe/secret.asp", "/qe/SECRET.ASP", "/qe/secret.asp.", "/qe/",
                           "/qe", "/missing.htm"}) {
    auto answer = client.Get(path);
    ASSERT_TRUE(answer) << path;
    EXPECT_EQ(answer->status, 404) << path;
    EXPECT_EQ(answer->body.find("source"), std::string::npos) << path;
  }
  EXPECT_EQ(client.Post("/qe/hello.txt", "x", "text/plain")->status, 405);
}

TEST_F(ServeTest, APageIsRunOnlyUnderItsOwnPath) {
  auto client = Browser();
  for (const char* path : {"/a.asp/b", "/qe/index.asp/b", "/qe/index.asp/", "/qe/index.asp./x"}) {
    auto answer = client.Get(path);
    ASSERT_TRUE(answer) << path;
    EXPECT_EQ(answer->status, 404) << path;
  }
}

TEST_F(ServeTest, TheSessionCookieKeepsTheSessionAndApplicationValuesAreShared) {
  auto browser = Browser();
  auto first = browser.Get("/qe/index.asp");
  ASSERT_TRUE(first);
  std::string cookie = SessionCookieOf(first);
  EXPECT_TRUE(std::regex_match(cookie, std::regex("ASPSESSIONID[A-Z]{8}=[A-Z]{28}"))) << cookie;
  EXPECT_NE(first->Header("Set-Cookie").find("; HttpOnly; SameSite=Lax"), std::string::npos);
  std::smatch site_count;
  std::string first_text = Text(first);
  ASSERT_TRUE(std::regex_search(first_text, site_count, std::regex("本站共被访问 (\\d+) 次")));
  EXPECT_NE(first_text.find("第 1 次访问本页"), std::string::npos);

  auto second = browser.Get("/qe/index.asp", {{"Cookie", cookie}});
  ASSERT_TRUE(second);
  EXPECT_FALSE(second->HasHeader("Set-Cookie"));
  EXPECT_NE(Text(second).find("第 2 次访问本页"), std::string::npos);

  // Another visitor has a session of its own, and the site's count goes on.
  auto other = Browser().Get("/qe/index.asp");
  ASSERT_TRUE(other);
  EXPECT_NE(SessionCookieOf(other), cookie);
  EXPECT_NE(Text(other).find("第 1 次访问本页"), std::string::npos);
  EXPECT_NE(Text(other).find("本站共被访问 " + std::to_string(std::stoi(site_count[1]) + 2) + " 次"),
            std::string::npos);

  // A cookie that names no session starts a new one.
  auto stale = browser.Get("/qe/index.asp", {{"Cookie", cookie.substr(0, cookie.find('=') + 1) + "NOSUCHSESSION"}});
  ASSERT_TRUE(stale);
  EXPECT_TRUE(stale->HasHeader("Set-Cookie"));
}

TEST_F(ServeTest, ConcurrentVisitsAreAllCountedOnce) {
  constexpr int kVisitors = 16, kVisits = 10;
  auto before = Browser().Get("/qe/index.asp");
  ASSERT_TRUE(before);
  std::smatch count;
  std::string before_text = Text(before);
  ASSERT_TRUE(std::regex_search(before_text, count, std::regex("本站共被访问 (\\d+) 次")));
  std::atomic<int> failures = 0;
  std::vector<std::thread> visitors;
  for (int v = 0; v < kVisitors; ++v) {
    visitors.emplace_back([&] {
      auto client = Browser();
      std::string cookie;
      for (int i = 1; i <= kVisits; ++i) {
        auto page = cookie.empty() ? client.Get("/qe/index.asp") : client.Get("/qe/index.asp", {{"Cookie", cookie}});
        if (!page || page->status != 200 ||
            Text(page).find("第 " + std::to_string(i) + " 次访问本页") == std::string::npos)
          ++failures;
        if (page && cookie.empty()) cookie = SessionCookieOf(page);
      }
    });
  }
  for (auto& t : visitors) t.join();
  EXPECT_EQ(failures, 0);
  auto after = Browser().Get("/qe/index.asp");
  ASSERT_TRUE(after);
  EXPECT_NE(Text(after).find("本站共被访问 " + std::to_string(std::stoi(count[1]) + kVisitors * kVisits + 1) + " 次"),
            std::string::npos);
}

TEST_F(ServeTest, BadRequestsGetAClearRefusalAndTheServerGoesOn) {
  const int port = server_->Port();
  struct Case {
    const char* what;
    std::string request;
    int status;
  };
  // Requests that the server can read to their end ask for the connection
  // to be closed after the answer; the others are closed by the server.
  const std::string kHead = "Host: a\r\nConnection: close\r\n";
  const std::vector<Case> cases = {
      {"no request line", "GARBAGE\r\n\r\n", 400},
      {"unknown protocol", "GET / HTTP/9.9\r\n\r\n", 400},
      {"bad escape in the path", "GET /qe/%zz.txt HTTP/1.1\r\n" + kHead + "\r\n", 400},
      {"escape cut short", "GET /qe/hello.txt%4 HTTP/1.1\r\n" + kHead + "\r\n", 400},
      {"bad escape in the query", "GET /qe/index.asp?q=100% HTTP/1.1\r\n" + kHead + "\r\n", 400},
      {"lone lead byte in the path", "GET /qe/%81.txt HTTP/1.1\r\n" + kHead + "\r\n", 400},
      {"lone lead byte in the query", "GET /qe/index.asp?a=%81 HTTP/1.1\r\n" + kHead + "\r\n", 400},
      {"raw lead byte at the end", "GET /qe/index.asp?a=\x81 HTTP/1.1\r\n" + kHead + "\r\n", 400},
      {"NUL in the path", "GET /qe/hello.txt%00.htm HTTP/1.1\r\n" + kHead + "\r\n", 400},
      {"request line too long", "GET /" + std::string(10000, 'a') + " HTTP/1.1\r\n" + kHead + "\r\n", 414},
      {"one header too long", "GET / HTTP/1.1\r\nX: " + std::string(10000, 'a') + "\r\n\r\n", 400},
      {"too many headers", "GET / HTTP/1.1\r\n" + [] {
         std::string many;
         for (int i = 0; i < 20000; ++i) many += "X-Filler: aaaaaaaa\r\n";
         return many;
       }() + "\r\n", 431},
      {"body too large", "POST /qe/index.asp HTTP/1.1\r\n" + kHead + "Content-Length: 99999999999999\r\n\r\nabc", 413},
      {"length out of range", "POST /qe/index.asp HTTP/1.1\r\n" + kHead + "Content-Length: 999999999999999999999\r\n\r\n",
       413},
      {"length not a number", "POST /qe/index.asp HTTP/1.1\r\n" + kHead + "Content-Length: 12x\r\n\r\n", 400},
      {"broken chunks", "POST /qe/index.asp HTTP/1.1\r\n" + kHead + "Transfer-Encoding: chunked\r\n\r\nzz\r\n", 400},
  };
  for (const Case& c : cases) {
    std::string answer = SendRaw(port, c.request);
    EXPECT_EQ(StatusOf(answer), c.status) << c.what << "\n" << answer.substr(0, 200);
    EXPECT_NE(answer.find("Connection: close"), std::string::npos) << c.what;
  }
  EXPECT_TRUE(server_->Running());
  auto hello = Browser().Get("/qe/hello.txt");
  ASSERT_TRUE(hello);
  EXPECT_EQ(hello->body, "hello");
}

// A NUL would cut the text a value is put into (the SQL of the keyword box
// or of the login among them): the request is refused before any page runs,
// or the cookie that holds it left out.
TEST_F(ServeTest, ANulInAQueryOrFormValueIsRefused) {
  auto client = Browser();
  auto form = [&](const std::string& target, const std::string& body, const char* type) {
    auto answer = client.Post(target, body, type, {{"Referer", Origin() + "/qe/login.asp"}});
    return answer ? answer->status : 0;
  };
  const char kForm[] = "application/x-www-form-urlencoded";
  EXPECT_EQ(client.Get("/qe/menu_list.asp?moden=url&keyword=a%00'")->status, 400);
  EXPECT_EQ(client.Get("/qe/menu_list.asp?moden=url&keyword=a")->status, 200);
  EXPECT_EQ(form("/qe/login.asp", "UserName=bob%00&PassWord=", kForm), 400);
  EXPECT_EQ(form("/qe/login.asp", std::string("UserName=bob") + '\0' + "&PassWord=", kForm), 400);
  // An escape split where the server reads the body in pieces.
  EXPECT_EQ(form("/qe/index.asp", "a=" + std::string(65536 - 3, 'x') + "%00", kForm), 400);
  EXPECT_EQ(form("/qe/index.asp", "a=" + std::string(65536 - 2, 'x') + "%00", kForm), 400);
  EXPECT_EQ(form("/qe/index.asp", "a=" + std::string(200000, 'x'), kForm), 200);
  EXPECT_EQ(form("/qe/index.asp", "a=%00", "text/plain"), 200);  // no form: the page reads its bytes itself
  // A cookie holding NUL is left out, as if the browser had not sent it: the
  // page is served without it (the list shows the keyword a cookie gives).
  auto with_nul = client.Get("/qe/menu_list.asp", {{"Cookie", "keyword=zz%00qq"}});
  EXPECT_EQ(with_nul->status, 200);
  EXPECT_EQ(with_nul->body.find("zz"), std::string::npos);
  EXPECT_NE(client.Get("/qe/menu_list.asp", {{"Cookie", "keyword=zzqq"}})->body.find("zzqq"), std::string::npos);
}

// Every answer, of a page, a file, a redirect or the server itself, forbids
// browsers to guess its type and other sites to frame it.
TEST_F(ServeTest, EveryAnswerForbidsFramingAndTypeGuessing) {
  auto client = Browser();
  for (const char* target : {"/qe/index.asp", "/qe/hello.txt", "/", "/qe/missing.txt", "/qe/missing.asp"}) {
    auto answer = client.Get(target);
    ASSERT_TRUE(answer) << target;
    EXPECT_EQ(answer->Header("X-Content-Type-Options"), "nosniff") << target;
    EXPECT_EQ(answer->Header("X-Frame-Options"), "SAMEORIGIN") << target;
    EXPECT_EQ(answer->Header("Content-Security-Policy"), "frame-ancestors 'self'") << target;
  }
  std::string refused = SendRaw(server_->Port(), "GARBAGE\r\n\r\n");
  EXPECT_NE(refused.find("\r\nX-Frame-Options: SAMEORIGIN\r\n"), std::string::npos) << refused;
}

TEST_F(ServeTest, StopsCleanlyOnSigterm) { EXPECT_EQ(server_->Stop(), 0); }

}  // namespace
