// The ways through the site under `qe serve`: what the start page and the
// desk link for a visitor, a user and the super manager; the change of
// password; the seeded administrator's empty password sending it there first;
// the shared pages the component's fragments open: the dictionary's pick list
// and the article preview.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "common/kesra_class_md5.h"
#include "host/cookie_jar_visitor.h"
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

std::string LocationOf(const Answer& answer) {
  auto location = answer.headers.find("Location");
  return answer.status == 302 && location != answer.headers.end() ? location->second : "";
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
    for (auto [login, right] : {std::pair{u"li", u"b"}, std::pair{u"wang", u"b"}, std::pair{u"boss", u"a"}})
      com::Call(conn, u"Execute",
                u"Insert Into [User] ([Name],[UserName],[Part],[SystemSet],[PassWord],[Rule],[ShenHe],[Time]) Values "
                u"('教师','" + vb::String(login) + u"','教务处','50|60|2|70|80','" + qe::Kesra_Class_Md5().KesraMd5(u"old") +
                    u"','" + right + u"',-1,'20240101000000')");
    for (const char16_t* sql :
         {u"Insert Into [Sjzd] ([名称],[分类],[序号]) Values ('<乙>&','Rank',2)",
          u"Insert Into [Sjzd] ([名称],[分类],[序号]) Values ('甲','Rank',1)",
          u"Insert Into [Sjzd] ([名称],[分类],[序号]) Values ('丙','Other',1)",
          u"Create Table [News] ([ID] Counter Primary Key, [Title] Text(50), [Content] Memo)",
          u"Insert Into [News] ([Title],[Content]) Values ('<标题>','<p onclick=\"x()\">正文</p>')"})
      com::Call(conn, u"Execute", vb::String(sql));
    com::Call(conn, u"Close");
  }
  static void TearDownTestSuite() {
    delete server_;
    delete site_;
  }
  static void LogIn(Visitor& visitor, const std::string& form) {
    EXPECT_EQ(visitor.Post("/qe/login.asp", form).status, 302) << form;
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

  Visitor li(Port());
  LogIn(li, "UserName=li&PassWord=old");
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
  } cases[] = {{"UserName=li&PassWord=old", false}, {"UserName=boss&PassWord=old", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.login);
    Visitor visitor(Port());
    LogIn(visitor, c.login);
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
  // Until it has one, every other page that knows the user sends it there.
  for (const char* page : {kDesk, "/qe/main/netdrivers.asp", "/datemanager/data_manager.asp?p_FormType=1",
                           "/comm/tymk_ArticleRead.asp?ReadType=News&Id=1"}) {
    SCOPED_TRACE(page);
    EXPECT_EQ(LocationOf(tolva.Get(page)), kPassword);
  }
  EXPECT_EQ(LocationOf(tolva.Get("/comm/logout.asp", kPassword)), "/qe/main/login.asp") << "the way out stays open";

  Answer li = Visitor(Port()).Post("/qe/login.asp", "UserName=li&PassWord=old");
  EXPECT_EQ(li.headers.find("Location")->second, kDesk);
  Visitor li_again(Port());
  LogIn(li_again, "UserName=li&PassWord=old");
  EXPECT_FALSE(Has(li_again.Get(kPassword), u"id=\"empty-password\""));
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
  Visitor wang(Port());
  LogIn(wang, "UserName=wang&PassWord=old");
  for (const Refused& r : refused) {
    SCOPED_TRACE(r.form);
    Answer answer = r.from ? wang.Post(kPassword, r.form, r.from) : wang.PostFromElsewhere(kPassword, r.form);
    EXPECT_TRUE(Has(answer, r.says)) << answer.body;
    EXPECT_FALSE(Has(answer, u"id=\"changed\""));
  }
  Visitor still(Port());
  LogIn(still, "UserName=wang&PassWord=old");  // still the old password

  EXPECT_TRUE(Has(wang.Post(kPassword, "OldPassWord=old&NewPassWord=n+1&NewPassWord2=n+1", kPassword), u"id=\"changed\""));
  EXPECT_TRUE(Has(Visitor(Port()).Post("/qe/login.asp", "UserName=wang&PassWord=old"), u"用户名或密码错误！"));
  Visitor again(Port());
  LogIn(again, "UserName=wang&PassWord=n+1");
  // The Session keeps the new digest: the old one no longer changes it.
  EXPECT_TRUE(Has(wang.Post(kPassword, "OldPassWord=old&NewPassWord=x&NewPassWord2=x", kPassword), u"原密码错误！"));
  EXPECT_TRUE(Has(wang.Post(kPassword, "OldPassWord=n+1&NewPassWord=x&NewPassWord2=x", kPassword), u"id=\"changed\""));
}

// Cookies of 4,000 bytes that a page on another port of this host set for
// ten years (cookies do not keep ports apart), beside the session, in a
// browser that sends every cookie it holds: three for "/" and three for the
// desk's folder are read, the session wherever it stands in the field; so
// many that the head passes its limit are refused once, with an answer that
// removes what the head carried but the session, and the next request is
// served. A field of another name keeps the line's limit.
TEST_F(SiteWaysTest, CookiesPastALinesLimitLockNoBrowserOut) {
  struct Case {
    int at_root, at_desk;
    bool logged_in_first;  // the session before the others in the field, or after
    int first_status;
  };
  auto status = [](const std::optional<qe_test::HttpAnswer>& answer) { return answer ? answer->status : 0; };
  for (const Case& c : {Case{3, 3, true, 200}, Case{3, 3, false, 200}, Case{20, 10, true, 431}, Case{20, 10, false, 431}}) {
    SCOPED_TRACE(std::to_string(c.at_root) + " at /, logged in first: " + std::to_string(c.logged_in_first));
    host_test::CookieJarVisitor browser(Port());
    auto log_in = [&] { EXPECT_EQ(status(browser.Post("/qe/login.asp", "UserName=li&PassWord=old", "/qe/login.asp")), 302); };
    if (c.logged_in_first) log_in();
    for (auto [count, path, name] : {std::tuple{c.at_root, "/", "root"}, std::tuple{c.at_desk, "/qe/main", "desk"}})
      for (int i = 0; i < count; ++i) browser.Set(name + std::to_string(i), std::string(3990, 'v'), path);
    EXPECT_EQ(status(browser.Get(c.logged_in_first ? kDesk : "/qe/login.asp")), c.first_status);
    EXPECT_EQ(status(browser.Get("/")), 302);
    EXPECT_EQ(status(browser.Get(kStart)), 200);
    if (!c.logged_in_first) log_in();
    std::optional<qe_test::HttpAnswer> desk = browser.Get(kDesk);
    ASSERT_EQ(status(desk), 200);
    EXPECT_NE(desk->body.find("<span id=\"user\">"), std::string::npos);
  }
  qe_test::HttpClient client(Port());
  EXPECT_EQ(status(client.Get(kStart, {{"X-Filler", std::string(9000, 'x')}})), 400);
}

TEST_F(SiteWaysTest, ThePickListOffersTheCategorysEntriesInTheirOrder) {
  Answer list = Visitor(Port()).Get("/comm/kesra_selectdata.asp?zdm=Rank");
  const std::string first = vb::ToUtf8(u"data-value=\"甲\">甲</a>");
  const std::string second = vb::ToUtf8(u"data-value=\"&lt;乙&gt;&amp;\">&lt;乙&gt;&amp;</a>");
  ASSERT_NE(list.body.find(first), std::string::npos) << list.body;
  EXPECT_LT(list.body.find(first), list.body.find(second));
  EXPECT_FALSE(Has(list, u"丙"));
  EXPECT_TRUE(Has(Visitor(Port()).Get("/comm/kesra_selectdata.asp?zdm=None"), u"没有可选的项目。"));
}

TEST_F(SiteWaysTest, TheArticlePreviewShowsARecordToAUserInAFrameWithoutScriptsWhoseLinksOpen) {
  const std::string target = "/comm/tymk_ArticleRead.asp?ReadType=News&Preview=Save&Id=1";
  EXPECT_EQ(LocationOf(Visitor(Port()).Get(target)),
            "/qe/login.asp?p_Back=/comm/tymk_ArticleRead.asp?ReadType%3DNews%26Preview%3DSave%26Id%3D1");
  Visitor li(Port());
  LogIn(li, "UserName=li&PassWord=old");
  Answer preview = li.Get(target);
  EXPECT_TRUE(Has(preview, u"<h2 id=\"title\">&lt;标题&gt;</h2>")) << preview.body;
  // Its links open a new window; it runs no script and has no origin of its own.
  EXPECT_TRUE(Has(preview, u"sandbox=\"allow-popups allow-popups-to-escape-sandbox\" title=\"文章内容\""));
  EXPECT_FALSE(Has(preview, u"allow-scripts"));
  EXPECT_FALSE(Has(preview, u"allow-same-origin"));
  // The stored markup as the cleaner keeps it: its handler is gone.
  EXPECT_TRUE(Has(preview, u"srcdoc=\"&lt;p&gt;正文&lt;/p&gt;\"")) << preview.body;
  for (const char* other : {"ReadType=News&Id=2", "ReadType=User&Id=1", "ReadType=News%5D%20x&Id=1", "ReadType=News&Id=1.5"}) {
    SCOPED_TRACE(other);
    Answer answer = li.Get(std::string("/comm/tymk_ArticleRead.asp?") + other);
    EXPECT_EQ(answer.status, 200);
    EXPECT_TRUE(Has(answer, u"没有可预览的内容。")) << answer.body;
    EXPECT_FALSE(Has(answer, u"srcdoc=\"&lt;p"));
  }
}

}  // namespace
