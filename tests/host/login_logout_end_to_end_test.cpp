// The login and logout pages over HTTP, the login throttle on a clock of the
// test's own: wrong passwords slow the next tries down alike for a name that
// exists and one that does not, an account not yet approved stays out, and
// the logout (from the site's own pages only) ends the session.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <cstdio>
#include <string>
#include <tuple>

#include "common/kesra_class_md5.h"
#include "host/in_process_server.h"
#include "host/login_page.h"
#include "host/login_throttle.h"
#include "host/logout_page.h"
#include "host/site_visitor.h"
#include "platform/ado/ado_fixture.h"
#include "platform/fs/paths.h"
#include "support/temp_site.h"

namespace {

using namespace std::chrono_literals;
using host_test::PageAnswer;
using host_test::Visitor;
using TimePoint = host::FailureLog::Clock::time_point;

constexpr char kDesk[] = "/qe/main/desk.asp";
constexpr char kPassword[] = "/qe/main/password.asp";
constexpr char kDrive[] = "/qe/main/netdrivers.asp";
constexpr char kDataForm[] = "/datemanager/data_manager.asp?p_FormType=9";

std::string Utf8(const std::u16string& text) { return vb::ToUtf8(text); }

std::string LocationOf(const PageAnswer& answer) {
  auto location = answer.headers.find("Location");
  return answer.status == 302 && location != answer.headers.end() ? location->second : "";
}
// Whether the answer sends the visitor to the login page.
bool SentToLogin(const PageAnswer& answer) { return LocationOf(answer).starts_with("/qe/login.asp?"); }

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
    for (auto [login, approval, right] :
         {std::tuple{u"li", u"-1", u"b"}, std::tuple{u"new", u"0", u"b"}, std::tuple{u"zhao", u"-1", u"b"},
          std::tuple{u"chen", u"-1", u"b"}, std::tuple{u"boss", u"-1", u"a"}, std::tuple{u"chief", u"-1", u"a"},
          std::tuple{u"gone", u"-1", u"b"}, std::tuple{u"wang", u"-1", u"b"}})
      Execute(u"Insert Into [User] ([Name],[UserName],[Part],[SystemSet],[PassWord],[Rule],[ShenHe],[Time]) Values "
              u"('" +
              vb::String(login) + u"','" + login + u"','教务处','50|60|2|70|80','" + qe::Kesra_Class_Md5().KesraMd5(u"pw") +
              u"','" + right + u"'," + approval + u",'20240101000000')");
  }
  // A change made to the main database by another tool.
  static void Execute(const vb::String& sql) {
    vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", ado_test::Jet(u"C:\\data\\qe.asp"));
    com::Call(conn, u"Execute", sql);
    com::Call(conn, u"Close");
  }
  // A change the Jet dialect cannot say, made by SQLite itself.
  static void ExecuteInSqlite(const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(fs::ToHostPath(u"C:\\data\\qe.asp").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
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
    EXPECT_TRUE(SentToLogin(visitor.Get(kDesk)));
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
  EXPECT_TRUE(SentToLogin(visitor.Get(kDesk)));
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
  EXPECT_TRUE(SentToLogin(visitor.Get(kDesk)));
  EXPECT_NE(visitor.Get("/qe/main/login.asp").body.find("name=\"PassWord\""), std::string::npos)
      << "the logout leads to a login form";

  // Logging in again gives another session.
  ASSERT_EQ(visitor.Post("/qe/main/login.asp", "UserName=li&PassWord=pw", "/qe/main/login.asp").status, 302);
  for (const auto& [name, value] : logged_in)
    if (name.starts_with("ASPSESSIONID")) EXPECT_NE(visitor.Cookies().at(name), value);
}

TEST_F(LoginLogoutTest, ThePasswordPagesOldPasswordCountsAsALoginTry) {
  Visitor zhao(Port());
  ASSERT_EQ(Login(zhao, "zhao", "pw").status, 302);
  const std::string change = "OldPassWord=pw&NewPassWord=n&NewPassWord2=n";
  for (int i = 0; i < 5; ++i)
    EXPECT_NE(zhao.Post(kPassword, "OldPassWord=wrong&NewPassWord=n&NewPassWord2=n", kPassword)
                  .body.find(Utf8(u"原密码错误！")),
              std::string::npos);
  PageAnswer held_back = zhao.Post(kPassword, change, kPassword);
  EXPECT_NE(held_back.body.find(Utf8(u"登录失败次数过多，请稍后再试。")), std::string::npos) << held_back.body;
  g_now += 1s;
  EXPECT_NE(zhao.Post(kPassword, change, kPassword).body.find("id=\"changed\""), std::string::npos);
}

// Only a password compared and found different is a wrong try: tries the
// database fails (its User table away here) hold back no one.
TEST_F(LoginLogoutTest, TriesTheDatabaseFailsAreNoWrongTries) {
  Visitor visitor(Port());
  ExecuteInSqlite("Alter Table [User] Rename To [UserAway]");
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Login(visitor, "li", "wrong").status, 500) << i;
  ExecuteInSqlite("Alter Table [UserAway] Rename To [User]");
  PageAnswer wrong = Login(visitor, "li", "wrong");
  EXPECT_NE(wrong.body.find(Utf8(u"用户名或密码错误！")), std::string::npos) << wrong.body;
}

// A save whose row is gone when it writes (an initialisation of the data it
// waited for; here a trigger drops the write) is no success.
TEST_F(LoginLogoutTest, APasswordSaveThatChangesNoRowSaysTheAccountIsGone) {
  Visitor wang(Port());
  ASSERT_EQ(Login(wang, "wang", "pw").status, 302);
  ExecuteInSqlite("Create Trigger [KeepRow] Before Update On [User] Begin Select Raise(Ignore); End");
  PageAnswer answer = wang.Post(kPassword, "OldPassWord=pw&NewPassWord=n&NewPassWord2=n", kPassword);
  ExecuteInSqlite("Drop Trigger [KeepRow]");
  EXPECT_EQ(answer.body.find(Utf8(u"密码修改成功")), std::string::npos) << answer.body;
  EXPECT_NE(answer.body.find(Utf8(u"该帐号已不存在，请重新登录！")), std::string::npos) << answer.body;
  EXPECT_FALSE(SentToLogin(wang.Get(kDesk))) << "the session still holds the password its row holds";
}

TEST_F(LoginLogoutTest, ASessionStandsForItsAccountOnlyWhileTheAccountSaysSo) {
  // A password changed in one session ends the others, not that one.
  Visitor here(Port()), there(Port());
  ASSERT_EQ(Login(here, "chen", "pw").status, 302);
  ASSERT_EQ(Login(there, "chen", "pw").status, 302);
  ASSERT_NE(here.Post(kPassword, "OldPassWord=pw&NewPassWord=n&NewPassWord2=n", kPassword).body.find("id=\"changed\""),
            std::string::npos);
  EXPECT_FALSE(SentToLogin(here.Get(kDesk)));
  EXPECT_TRUE(SentToLogin(there.Get(kDesk)));
  EXPECT_TRUE(SentToLogin(there.Get(kDesk))) << "the session stays ended";

  struct Case {
    const char* login;
    const char16_t* change;
    const char* page;
    bool sent_to_login;  // else refused for its right
  } cases[] = {
      {"boss", u"Update [User] Set [Rule]='b',[ShenHe]=0 Where [UserName]='boss'", kDataForm, true},
      {"chief", u"Update [User] Set [Rule]='b' Where [UserName]='chief'", kDataForm, false},
      {"gone", u"Delete From [User] Where [UserName]='gone'", kDrive, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.login);
    Visitor visitor(Port());
    ASSERT_EQ(Login(visitor, c.login, "pw").status, 302);
    PageAnswer before = visitor.Get(c.page);
    EXPECT_EQ(before.status, 200);
    EXPECT_EQ(before.body.find(Utf8(u"你没有足够的权限！")), std::string::npos);
    Execute(c.change);
    PageAnswer after = visitor.Get(c.page);
    EXPECT_EQ(SentToLogin(after), c.sent_to_login) << after.body;
    if (!c.sent_to_login) EXPECT_NE(after.body.find(Utf8(u"你没有足够的权限！")), std::string::npos);
  }
}

TEST_F(LoginLogoutTest, APageThatNeedsALoginSendsThereAndBackOnlyToAPathOfThisSite) {
  Visitor visitor(Port());
  PageAnswer closed = visitor.Get("/datemanager/data_manager.asp?p_FormType=1");
  const std::string login = LocationOf(closed);
  EXPECT_EQ(login, "/qe/login.asp?p_Back=/datemanager/data_manager.asp?p_FormType%3D1");
  PageAnswer form = visitor.Get(login);
  EXPECT_NE(form.body.find("id=\"login-needed\""), std::string::npos);
  EXPECT_NE(form.body.find("name=\"p_Back\" value=\"/datemanager/data_manager.asp?p_FormType=1\""), std::string::npos);
  EXPECT_EQ(LocationOf(visitor.Post("/qe/login.asp",
                                    "UserName=li&PassWord=pw&p_Back=%2Fqe%2Fmain%2Fnetdrivers.asp%3Fp_CurrentFolder%3D%2Fa%2F",
                                    login)),
            "/qe/main/netdrivers.asp?p_CurrentFolder=/a/");

  for (const char* elsewhere : {"http://evil.example/", "https:/evil.example", "//evil.example/x", "/\\evil.example/x",
                                "\\\\evil.example", "javascript:alert(1)", "JavaScript:alert(1)", "/\t/evil.example",
                                "%2F%2Fevil.example", " /qe/main/desk.asp", "qe/main/desk.asp", "",
                                // Pages of this site that would act, not show.
                                "/qe/main/netdrivers_create_del.asp?p_CurrentFile=x&p_Act=DelFile",
                                "/qe/main/netdrivers.asp?p_Act=paste&p_CurrentFolder=/",
                                "/datemanager/data_manager.asp?p_FormType=8&save=save", "/comm/logout.asp"}) {
    SCOPED_TRACE(elsewhere);
    Visitor other(Port());
    std::string encoded;
    for (char c : std::string(elsewhere)) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
      encoded += hex;
    }
    EXPECT_EQ(other.Get("/qe/login.asp?p_Back=" + encoded).body.find("login-needed"), std::string::npos);
    EXPECT_EQ(LocationOf(other.Post("/qe/login.asp", "UserName=li&PassWord=pw&p_Back=" + encoded)), kDesk);
  }
  // Sent from a page that acts: the login says so, and leads to the desk.
  EXPECT_EQ(LocationOf(Visitor(Port()).Get("/qe/main/netdrivers_create_del.asp?p_CurrentFile=x&p_Act=DelFile")),
            "/qe/login.asp?p_Back=/qe/main/desk.asp");
}

}  // namespace
