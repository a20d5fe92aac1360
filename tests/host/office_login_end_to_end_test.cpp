// Logging in through `qe serve`: the plain login page checks the user's row,
// leaves the Session values the office procedures read, and the login cookie
// when asked; the desk page opens only to a logged-in visitor, under its own
// address and no other that merely holds an open page's name.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "common/kesra_class_md5.h"
#include "host/raw_http.h"
#include "host/serve_process.h"
#include "host/site_visitor.h"
#include "platform/ado/ado_fixture.h"
#include "platform/text/ansi.h"
#include "support/cookie_expiry.h"
#include "support/http_client.h"

namespace {

using Answer = host_test::PageAnswer;
using host_test::Visitor;

std::string Utf8(const std::u16string& text) { return vb::ToUtf8(text); }
constexpr char kDesk[] = "/qe/main/desk.asp";

// Whether the answer sends the visitor to the login page.
bool SentToLogin(const Answer& answer) {
  auto location = answer.headers.find("Location");
  return answer.status == 302 && location != answer.headers.end() && location->second.starts_with("/qe/login.asp?");
}

std::string KesraQeLine(const Answer& answer) {
  for (auto [it, end] = answer.headers.equal_range("Set-Cookie"); it != end; ++it)
    if (it->second.starts_with("KesraQe=")) return it->second;
  return {};
}


class OfficeLoginTest : public ::testing::Test {
 protected:
  using String = vb::String;
  using Variant = vb::Variant;

  static void SetUpTestSuite() {
    setenv("TZ", "UTC", 1);
    tzset();
    site_ = new qe_test::TempSite;
    server_ = new host_test::ServeProcess(site_->SiteFolder());
    // The first request makes and seeds the main database; then our users.
    Visitor first(server_->Port());
    ASSERT_EQ(first.Get("/qe/login.asp").status, 200);
    ado::InstallAllProviders();
    Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", ado_test::Jet(u"C:\\site\\data\\qe.asp"));
    auto add_user = [&](const String& name, const String& login) {
      com::Call(conn, u"Execute",
                u"Insert Into [User] ([Name],[UserName],[Part],[SystemSet],[PassWord],[Rule],[ShenHe],[Time]) Values ('" +
                    name + u"','" + login + u"','教务处','50|60|2|70|80','" + qe::Kesra_Class_Md5().KesraMd5(u"pa ss") +
                    u"','b',-1,'20240101000000')");
    };
    add_user(u"<李>&四", u"li");
    add_user(u"a|b", u"bar");
    com::Call(conn, u"Close");
  }
  static void TearDownTestSuite() {
    delete server_;
    delete site_;
  }
  static int Port() { return server_->Port(); }

  static qe_test::TempSite* site_;
  static host_test::ServeProcess* server_;
};

qe_test::TempSite* OfficeLoginTest::site_ = nullptr;
host_test::ServeProcess* OfficeLoginTest::server_ = nullptr;

// The desk page under addresses that hold an open page's name after its own
// path: none is run as the desk page. A query is no part of the path: there
// the desk stays closed to a visitor who is not logged in.
void ExpectNeverServedAsTheDesk(Visitor& visitor) {
  for (const char* target : {"/qe/main/desk.asp/index.asp", "/qe/main/desk.asp%2Findex.asp",
                             "/qe/main/desk.asp;index.asp", "/qe/main/desk.asp%3Bindex.asp",
                             "/qe/main/desk.asp/login.asp"}) {
    SCOPED_TRACE(target);
    Answer answer = visitor.Get(target);
    EXPECT_EQ(answer.status, 404);
    EXPECT_EQ(answer.body.find("欢迎您"), std::string::npos);
  }
}

void ExpectTheQueryOpensNothing(Visitor& visitor) {
  for (const char* target : {"/qe/main/desk.asp?a=index.asp", "/qe/main/desk.asp?x=/qe/login_check.asp"}) {
    SCOPED_TRACE(target);
    EXPECT_TRUE(SentToLogin(visitor.Get(target)));
  }
}

TEST_F(OfficeLoginTest, WithoutLoginTheDeskSendsToTheLoginUnderEveryAddress) {
  Visitor visitor(Port());
  EXPECT_TRUE(SentToLogin(visitor.Get(kDesk)));
  ExpectNeverServedAsTheDesk(visitor);
  ExpectTheQueryOpensNothing(visitor);
  // Raw bytes that no client library would send.
  for (const char* target : {"/qe/main/desk.asp/index.asp", "/qe/main/desk.asp;index.asp"}) {
    std::string answer = host_test::SendRaw(
        Port(), std::string("GET ") + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(host_test::StatusOf(answer), 404) << target;
  }
}

TEST_F(OfficeLoginTest, AWrongPasswordOrAnUnknownNameIsRefused) {
  for (const char* form : {"UserName=li&PassWord=pass", "UserName=li&PassWord=", "UserName=nobody&PassWord=pa+ss",
                           "UserName=li%27+Or+%271%27%3D%271&PassWord=pa+ss"}) {
    SCOPED_TRACE(form);
    Visitor visitor(Port());
    Answer answer = visitor.Post("/qe/login.asp", form);
    EXPECT_EQ(answer.status, 200);
    EXPECT_NE(answer.body.find(Utf8(u"对不起，用户名或密码错误！")), std::string::npos) << answer.body;
    EXPECT_FALSE(visitor.Holds("KesraQe"));
    EXPECT_TRUE(SentToLogin(visitor.Get(kDesk)));
  }
  Visitor bar(Port());
  EXPECT_NE(bar.Post("/qe/login.asp", "UserName=bar&PassWord=pa+ss").body.find(Utf8(u"用户资料中含有字符“|”")),
            std::string::npos);
  EXPECT_TRUE(SentToLogin(bar.Get(kDesk)));
}

TEST_F(OfficeLoginTest, AfterLoginTheDeskGreetsTheUserByNameEncoded) {
  Visitor visitor(Port());
  Answer login = visitor.Post("/qe/login.asp", "UserName=li&PassWord=pa+ss");
  EXPECT_EQ(login.status, 302);
  EXPECT_EQ(login.headers.find("Location")->second, kDesk);
  EXPECT_EQ(KesraQeLine(login), "") << "no cookie unless asked to remember";
  Answer desk = visitor.Get(kDesk);
  EXPECT_EQ(desk.status, 200);
  EXPECT_NE(desk.body.find(Utf8(u"欢迎您，<span id=\"user\">&lt;李&gt;&amp;四</span>（<span id=\"part\">教务处</span>）")),
            std::string::npos)
      << desk.body;
  ExpectNeverServedAsTheDesk(visitor);
  // The login name in any case finds the row, as the database compares text.
  Visitor upper(Port());
  EXPECT_EQ(upper.Post("/qe/login.asp", "UserName=LI&PassWord=pa+ss").status, 302);
}

// The session cookie a visitor holds: its name and value.
std::pair<std::string, std::string> SessionCookieOf(const Visitor& visitor) {
  for (const auto& [name, value] : visitor.Cookies())
    if (name.starts_with("ASPSESSIONID")) return {name, value};
  return {};
}

TEST_F(OfficeLoginTest, LoginGivesTheSessionANewIdAndTheOneHeldBeforeOpensNothing) {
  Visitor first(Port());
  ASSERT_EQ(first.Post("/qe/login.asp", "UserName=li&PassWord=pa+ss").status, 302);
  auto [name, planted] = SessionCookieOf(first);
  ASSERT_FALSE(planted.empty());

  // A browser made to hold that id logs in: it gets an id of its own.
  Visitor victim(Port());
  victim.SetCookie(name, planted);
  ASSERT_EQ(victim.Post("/qe/login.asp", "UserName=li&PassWord=pa+ss").status, 302);
  std::string renewed = SessionCookieOf(victim).second;
  EXPECT_NE(renewed, planted);
  EXPECT_FALSE(SentToLogin(victim.Get(kDesk)));

  Visitor holder(Port());
  holder.SetCookie(name, planted);
  EXPECT_TRUE(SentToLogin(holder.Get(kDesk)));
}

TEST_F(OfficeLoginTest, RememberingSetsTheLoginCookieThatTheLoginPageReadsBack) {
  Visitor visitor(Port());
  Answer login = visitor.Post("/qe/login.asp", "UserName=li&PassWord=pa+ss&SaveTime=30");
  EXPECT_EQ(login.status, 302);
  EXPECT_EQ(KesraQeLine(login),
            "KesraQe=UserName=li&PassWord=; expires=" + qe_test::CookieExpiry(30) + "; path=/; HttpOnly; SameSite=Lax");
  Answer form = visitor.Get("/qe/login.asp");
  EXPECT_NE(form.body.find("<input name=\"UserName\" value=\"li\">"), std::string::npos) << form.body;
  EXPECT_NE(form.body.find("value=\"30\" checked>"), std::string::npos);
  EXPECT_EQ(visitor.Get(kDesk).status, 200);
}

}  // namespace
