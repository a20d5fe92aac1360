// The login and logout pages over HTTP, the login throttle on a clock of the
// test's own: wrong passwords slow the next tries down alike for a name that
// exists and one that does not, an account not yet approved stays out, and
// the logout (from the site's own pages only) ends the session.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "common/kesra_class_md5.h"
#include "host/in_process_server.h"
#include "host/login_page.h"
#include "host/login_throttle.h"
#include "host/logout_page.h"
#include "host/site_visitor.h"
#include "platform/ado/ado_fixture.h"
#include "support/temp_site.h"

namespace {

using namespace std::chrono_literals;
using host_test::PageAnswer;
using host_test::Visitor;
using TimePoint = host::FailureLog::Clock::time_point;

constexpr char kDesk[] = "/qe/main/desk.asp";
constexpr char kHome[] = "<Script>top.location.href='/qe/index.asp'</Script>";

std::string Utf8(const std::u16string& text) { return vb::ToUtf8(text); }

// The page's clock; the test moves it.
TimePoint g_now = TimePoint{} + 1000h;

// The login page with a throttle on the test's clock in the Application.
void LoginOnTestClock(host::Page& page) {
  vb::Variant held = com::Call(page.Application, u"", vb::String(host::LoginThrottle::kApplicationKey));
  if (!held.IsObject())
    com::SetRef(page.Application, u"", vb::Variant(std::make_shared<host::LoginThrottle>([] { return g_now; })),
                vb::String(host::LoginThrottle::kApplicationKey));
  host::LoginPage(page);
}

class LoginLogoutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    site_ = new qe_test::TempSite;
    host::Pages pages = host::SitePages();
    pages.Register(host::kLoginPage, &LoginOnTestClock);
    pages.Register(host::kOfficeLoginPage, &LoginOnTestClock);
    server_ = new host_test::InProcessServer(site_->SiteFolder(), std::move(pages));
    ASSERT_EQ(Visitor(Port()).Get(vb::ToUtf8(host::kLoginPage)).status, 200);  // makes the database
    ado::InstallAllProviders();
    vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", ado_test::Jet(u"C:\\data\\qe.asp"));
    for (auto [login, approval] : {std::pair{u"li", u"-1"}, std::pair{u"new", u"0"}})
      com::Call(conn, u"Execute",
                u"Insert Into [User] ([Name],[UserName],[Part],[SystemSet],[PassWord],[Rule],[ShenHe],[Time]) Values "
                u"('" +
                    vb::String(login) + u"','" + login + u"','教务处','50|60|2|70|80','" +
                    qe::Kesra_Class_Md5().KesraMd5(u"pw") + u"','b'," + approval + u",'20240101000000')");
    com::Call(conn, u"Close");
  }
  static void TearDownTestSuite() {
    delete server_;
    delete site_;
  }
  void SetUp() override { g_now += 1h; }  // what earlier tests failed is forgotten

  static int Port() { return server_->Port(); }
  static std::string Site() { return "http://127.0.0.1:" + std::to_string(Port()); }
  static PageAnswer Login(Visitor& visitor, const std::string& name, const std::string& password) {
    return visitor.Post("/qe/login.asp", "UserName=" + name + "&PassWord=" + password);
  }

  static qe_test::TempSite* site_;
  static host_test::InProcessServer* server_;
};

qe_test::TempSite* LoginLogoutTest::site_ = nullptr;
host_test::InProcessServer* LoginLogoutTest::server_ = nullptr;

TEST_F(LoginLogoutTest, FiveWrongPasswordsHoldBackTheNextTryAlikeForAKnownAndAnUnknownName) {
  std::vector<std::string> answers[2];
  for (int round = 0; round < 2; ++round) {
    g_now += 1h;
    const std::string name = round == 0 ? "li" : "nobody";
    Visitor visitor(Port());
    for (int i = 0; i < 5; ++i) answers[round].push_back(Login(visitor, name, "wrong").body);
    // Even the right password is held back while the wait lasts.
    PageAnswer held_back = Login(visitor, name, "pw");
    answers[round].push_back(held_back.body);
    EXPECT_EQ(held_back.status, 200);
    EXPECT_NE(held_back.body.find(Utf8(u"登录失败次数过多，请稍后再试。")), std::string::npos) << held_back.body;
    EXPECT_EQ(visitor.Get(kDesk).body, kHome);
    g_now += 1s;
    answers[round].push_back(Login(visitor, name, "wrong").body);  // let through, wrong: 2 s now
    g_now += 1s;
    answers[round].push_back(Login(visitor, name, "pw").body);
  }
  EXPECT_NE(answers[0][0].find(Utf8(u"用户名或密码错误！")), std::string::npos);
  EXPECT_NE(answers[0][6].find(Utf8(u"登录失败次数过多，请稍后再试。")), std::string::npos);
  EXPECT_EQ(answers[0], answers[1]) << "the answers tell nothing of whether the name exists";

  g_now += 1s;  // the wait is over: the right password logs in
  Visitor visitor(Port());
  EXPECT_EQ(Login(visitor, "li", "pw").status, 302);
  EXPECT_NE(visitor.Get(kDesk).body.find(Utf8(u"欢迎您")), std::string::npos);
}

TEST_F(LoginLogoutTest, AnAccountNotYetApprovedIsRefusedWithItsOwnMessage) {
  Visitor visitor(Port());
  PageAnswer answer = Login(visitor, "new", "pw");
  EXPECT_NE(answer.body.find(Utf8(u"该用户尚未通过审核，请与管理员联系！")), std::string::npos) << answer.body;
  EXPECT_EQ(visitor.Get(kDesk).body, kHome);
  // Refused for the approval, not for the password: a wrong one still says so.
  EXPECT_NE(Login(visitor, "new", "wrong").body.find(Utf8(u"用户名或密码错误！")), std::string::npos);
}

TEST_F(LoginLogoutTest, TheExitLinkEndsTheSessionAndOnlyFromTheSitesOwnPages) {
  Visitor visitor(Port());
  ASSERT_EQ(Login(visitor, "li", "pw").status, 302);
  const auto logged_in = visitor.Cookies();

  // Another site's page, or none: refused, still logged in.
  for (const std::string& from : {std::string("http://evil.example/"), std::string("http://localhost/")}) {
    PageAnswer refused = visitor.GetFrom(vb::ToUtf8(host::kLogoutPage), from);
    EXPECT_NE(refused.body.find(Utf8(u"您提交的数据不合法，请不要从外部提交数据。")), std::string::npos) << from;
  }
  EXPECT_NE(visitor.Get(vb::ToUtf8(host::kLogoutPage)).body.find(Utf8(u"请不要从外部提交数据")), std::string::npos);
  EXPECT_NE(visitor.Get(kDesk).body.find(Utf8(u"欢迎您")), std::string::npos);

  PageAnswer out = visitor.GetFrom(vb::ToUtf8(host::kLogoutPage), Site() + "/datemanager/data_manager.asp");
  EXPECT_EQ(out.status, 302);
  EXPECT_EQ(out.headers.find("Location")->second, "/qe/main/login.asp");
  EXPECT_EQ(visitor.Get(kDesk).body, kHome);
  EXPECT_NE(visitor.Get("/qe/main/login.asp").body.find("name=\"PassWord\""), std::string::npos)
      << "the logout leads to a login form";

  // Logging in again gives another session.
  ASSERT_EQ(visitor.Post("/qe/main/login.asp", "UserName=li&PassWord=pw", "/qe/main/login.asp").status, 302);
  for (const auto& [name, value] : logged_in)
    if (name.starts_with("ASPSESSIONID")) EXPECT_NE(visitor.Cookies().at(name), value);
}

}  // namespace
