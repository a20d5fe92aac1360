// The ways through the site under `qe serve`: what the start page and the
// desk link for a visitor, a user and the super manager; the change of
// password; the seeded administrator's empty password sending it there first.
#include <gtest/gtest.h>

#include <string>

#include "common/kesra_class_md5.h"
#include "host/serve_process.h"
#include "host/site_visitor.h"
#include "platform/ado/ado_fixture.h"

namespace {

using Answer = host_test::PageAnswer;
using host_test::Visitor;

constexpr char kStart[] = "/qe/index.asp";
constexpr char kDesk[] = "/qe/main/desk.asp";
constexpr char kPassword[] = "/qe/main/password.asp";

bool Has(const Answer& answer, const std::u16string& text) {
  return answer.body.find(vb::ToUtf8(text)) != std::string::npos;
}

class SiteWaysTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    site_ = new qe_test::TempSite;
    server_ = new host_test::ServeProcess(site_->SiteFolder());
    Visitor first(server_->Port());
    ASSERT_EQ(first.Get(kStart).status, 200);
    ado::InstallAllProviders();
    vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", ado_test::Jet(u"C:\\site\\data\\qe.asp"));
    for (const char16_t* login : {u"li", u"wang"})
      com::Call(conn, u"Execute",
                u"Insert Into [User] ([Name],[UserName],[Part],[SystemSet],[PassWord],[Rule],[ShenHe],[Time]) Values "
                u"('教师','" + vb::String(login) + u"','教务处','50|60|2|70|80','" + qe::Kesra_Class_Md5().KesraMd5(u"old") +
                    u"','b',-1,'20240101000000')");
    com::Call(conn, u"Close");
  }
  static void TearDownTestSuite() {
    delete server_;
    delete site_;
  }
  static Visitor LoggedIn(const std::string& form) {
    Visitor visitor(server_->Port());
    EXPECT_EQ(visitor.Post("/qe/login.asp", form).status, 302) << form;
    return visitor;
  }
  static int Port() { return server_->Port(); }

  static qe_test::TempSite* site_;
  static host_test::ServeProcess* server_;
};

qe_test::TempSite* SiteWaysTest::site_ = nullptr;
host_test::ServeProcess* SiteWaysTest::server_ = nullptr;

TEST_F(SiteWaysTest, TheStartPageLinksWhatTheSiteHasAndTheWayIn) {
  Visitor visitor(Port());
  Answer start = visitor.Get(kStart);
  EXPECT_TRUE(Has(start, u"<h2>本站页面</h2>"));
  EXPECT_TRUE(Has(start, u"<a href=\"/qe/login.asp\">登录</a>"));
  EXPECT_TRUE(Has(start, u"<a href=\"/qe/charts.asp\">统计图表</a>"));
  EXPECT_FALSE(Has(start, u"/qe/main/desk.asp"));
  // A menu item of a page this site has is a link; any other stays text.
  EXPECT_TRUE(Has(start, u"<dd title=\"datemanager/data_manager.asp?p_FormType=1\"><a "
                         u"href=\"/datemanager/data_manager.asp?p_FormType=1\">数据备份</a></dd>"));
  EXPECT_TRUE(Has(start, u"<dd title=\"tongzhi/tongzhi.asp\">内部通知</dd>"));

  Visitor li = LoggedIn("UserName=li&PassWord=old");
  start = li.Get(kStart);
  EXPECT_TRUE(Has(start, u"当前用户：<span id=\"user\">教师</span>"));
  EXPECT_TRUE(Has(start, u"<a href=\"/qe/main/desk.asp\">我的桌面</a>"));
  EXPECT_TRUE(Has(start, u"<a href=\"/comm/logout.asp\">退出登录</a>"));
  EXPECT_FALSE(Has(start, u">登录</a>"));
}

TEST_F(SiteWaysTest, TheDeskLinksTheManagersPagesOnlyForTheSuperManager) {
  struct Case {
    const char* login;
    bool manager;
  } cases[] = {{"UserName=li&PassWord=old", false}, {"UserName=tolva&PassWord=", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.login);
    Visitor visitor = LoggedIn(c.login);
    Answer desk = visitor.Get(kDesk);
    EXPECT_TRUE(Has(desk, u"<a href=\"/qe/main/netdrivers.asp\">网络硬盘</a>"));
    EXPECT_TRUE(Has(desk, u"<a href=\"/qe/form_sample.asp\">表单示例</a>"));
    EXPECT_TRUE(Has(desk, u"<a href=\"/qe/main/password.asp\">修改密码</a>"));
    EXPECT_TRUE(Has(desk, u"<a href=\"/comm/logout.asp\">退出登录</a>"));
    EXPECT_EQ(Has(desk, u"id=\"manager-pages\""), c.manager);
    EXPECT_EQ(Has(desk, u"<a href=\"/datemanager/data_manager.asp?p_FormType=9\">数据维护</a>"), c.manager);
    EXPECT_EQ(Has(desk, u"<a href=\"/datemanager/user_manager.asp\">用户管理</a>"), c.manager);
  }
}

TEST_F(SiteWaysTest, AnEmptyPasswordLeadsToItsChangeFirst) {
  Visitor tolva(Port());
  Answer login = tolva.Post("/qe/login.asp", "UserName=tolva&PassWord=");
  EXPECT_EQ(login.status, 302);
  EXPECT_EQ(login.headers.find("Location")->second, kPassword);
  EXPECT_TRUE(Has(tolva.Get(kPassword), u"id=\"empty-password\""));

  Answer li = Visitor(Port()).Post("/qe/login.asp", "UserName=li&PassWord=old");
  EXPECT_EQ(li.headers.find("Location")->second, kDesk);
  EXPECT_FALSE(Has(LoggedIn("UserName=li&PassWord=old").Get(kPassword), u"id=\"empty-password\""));
}

TEST_F(SiteWaysTest, APasswordChangesOnlyWithTheOldOneAndTheNewOneTwice) {
  struct Refused {
    const char* form;
    const char* from;
    std::u16string says;
  } refused[] = {
      {"OldPassWord=wrong&NewPassWord=n1&NewPassWord2=n1", kPassword, u"原密码错误！"},
      {"OldPassWord=old&NewPassWord=n1&NewPassWord2=n2", kPassword, u"两次输入的新密码不一致！"},
      {"OldPassWord=old&NewPassWord=&NewPassWord2=", kPassword, u"新密码不能为空！"},
      {"OldPassWord=old&NewPassWord=n1&NewPassWord2=n1", nullptr, u"请不要从外部提交数据"},
  };
  Visitor wang = LoggedIn("UserName=wang&PassWord=old");
  for (const Refused& r : refused) {
    SCOPED_TRACE(r.form);
    Answer answer = r.from ? wang.Post(kPassword, r.form, r.from) : wang.PostFromElsewhere(kPassword, r.form);
    EXPECT_TRUE(Has(answer, r.says)) << answer.body;
    EXPECT_FALSE(Has(answer, u"id=\"changed\""));
  }
  LoggedIn("UserName=wang&PassWord=old");  // still the old password

  EXPECT_TRUE(Has(wang.Post(kPassword, "OldPassWord=old&NewPassWord=n+1&NewPassWord2=n+1", kPassword), u"id=\"changed\""));
  EXPECT_TRUE(Has(Visitor(Port()).Post("/qe/login.asp", "UserName=wang&PassWord=old"), u"用户名或密码错误！"));
  Visitor again = LoggedIn("UserName=wang&PassWord=n+1");
  // The Session keeps the new digest: the old one no longer changes it.
  EXPECT_TRUE(Has(wang.Post(kPassword, "OldPassWord=old&NewPassWord=x&NewPassWord2=x", kPassword), u"原密码错误！"));
  EXPECT_TRUE(Has(wang.Post(kPassword, "OldPassWord=n+1&NewPassWord=x&NewPassWord2=x", kPassword), u"id=\"changed\""));
}

}  // namespace
