// The start page's menu as the database holds it: only what is switched on,
// in its order, its texts safe in the page.
#include "host/start_menu.h"

#include "host/site_main_database.h"
#include "shell/site_databases.h"

namespace site_databases {
namespace {

class StartMenuTest : public SiteDatabaseTest {
 protected:
  void SetUp() override {
    SiteDatabaseTest::SetUp();
    auto page = NewPage();
    com::Call(NewQeCls(), u"CommGetApplicationConnString", page->response, page->request, page->server,
              page->application);
    ASSERT_TRUE(host::PrepareMainDatabase(*AsHostPage(*page), qe_ = NewQeCls()));
  }
  std::unique_ptr<host::Page> AsHostPage(Page& page) {
    return std::make_unique<host::Page>(
        host::Page{page.request, page.response, page.server, page.context.Session(), page.application});
  }
  void Execute(vb::StringView sql) { com::Call(Open(ado_test::Jet(kMainFile)), u"Execute", String(sql)); }
  // What the menu writes into a new request.
  std::string Menu() {
    auto page = NewPage();
    host::WriteStartMenu(*AsHostPage(*page), qe_);
    return vb::ToUtf8(page->Body());
  }

  Variant qe_;
};

TEST_F(StartMenuTest, ListsOnlyActiveGroupsAndItemsInTheirSortOrder) {
  Execute(u"Update [Class] Set Active=0 Where ID=2");
  Execute(u"Update [NClass] Set Active=0 Where ClassID=1 And SortID=1");
  Execute(u"Update [Class] Set SortID=0 Where ID=13");
  Execute(u"Update [NClass] Set SortID=0 Where ClassID=13 And SortID=2");
  Execute(u"Insert Into [NClass] ([NClass],[ClassID],[Url],[Active],[SortID]) Values('无栏目',99,'x.asp',-1,1)");
  std::string menu = Menu();
  EXPECT_EQ(menu.find("教学管理"), std::string::npos);  // group 2 and its items
  EXPECT_EQ(menu.find("作息时间表"), std::string::npos);
  EXPECT_EQ(menu.find("内部通知"), std::string::npos);
  EXPECT_EQ(menu.find("无栏目"), std::string::npos);
  EXPECT_EQ(menu.rfind("<dl class=\"menu\">\n<dt>系统管理</dt>\n<dd title=\"system/admin_class_enabled.asp\">栏目开关</dd>\n"
                       "<dd title=\"system/admin_class_sort.asp\">栏目排序</dd>\n<dt>行政管理</dt>\n"
                       "<dd title=\"xxdsj/xxdsj.asp\">处室动态</dd>\n",
                       0),
            0u)
      << menu;
  EXPECT_TRUE(menu.ends_with("<dt>数据维护</dt>\n<dd title=\"datemanager/date_sjzd_view.asp\">数据字典</dd>\n"
                             "<dd title=\"datemanager/data_manager.asp?p_FormType=1\"><a "
                             "href=\"/datemanager/data_manager.asp?p_FormType=1\">数据备份</a></dd>\n"
                             "<dd title=\"datemanager/data_manager.asp?p_FormType=2\"><a "
                             "href=\"/datemanager/data_manager.asp?p_FormType=2\">数据恢复</a></dd>\n"
                             "<dd title=\"datemanager/data_manager.asp?p_FormType=4\"><a "
                             "href=\"/datemanager/data_manager.asp?p_FormType=4\">数据压缩</a></dd>\n"
                             "<dd title=\"datemanager/data_manager.asp?p_FormType=8\"><a "
                             "href=\"/datemanager/data_manager.asp?p_FormType=8\">数据初始化</a></dd>\n"
                             "<dd title=\"datemanager/data_manager.asp?p_FormType=9\"><a "
                             "href=\"/datemanager/data_manager.asp?p_FormType=9\">数据维护</a></dd>\n</dl>\n"))
      << menu;
}

TEST_F(StartMenuTest, TextsFromTheDatabaseAreWrittenAsTextNotMarkup) {
  Execute(u"Update [Class] Set Class='<b>A&B</b>' Where ID=1");
  Execute(u"Update [NClass] Set NClass='\"><script>', Url='a.asp?x=1&y=\"2\"' Where ClassID=1 And SortID=1");
  Execute(u"Update [NClass] Set Url=Null Where ClassID=1 And SortID=2");
  Execute(u"Update [NClass] Set Url='QE/Charts.asp?t=\"<' Where ClassID=1 And SortID=3");
  std::string menu = Menu();
  EXPECT_NE(menu.find("<dt>&lt;b&gt;A&amp;B&lt;/b&gt;</dt>\n"
                      "<dd title=\"a.asp?x=1&amp;y=&quot;2&quot;\">&quot;&gt;&lt;script&gt;</dd>\n"
                      "<dd title=\"\">处室动态</dd>\n"
                      "<dd title=\"QE/Charts.asp?t=&quot;&lt;\"><a href=\"/QE/Charts.asp?t=&quot;&lt;\">学习材料管理</a></dd>\n"),
            std::string::npos)
      << menu;
  EXPECT_EQ(menu.find("<script>"), std::string::npos);
}

TEST_F(StartMenuTest, ItemsWhosePageTheSiteHasUnderAnotherAddressLinkThere) {
  Execute(u"Update [NClass] Set Url='NetDrivers/NetDrivers.asp?p_CurrentFolder=a&b' Where NClass='网络硬盘'");
  std::string menu = Menu();
  EXPECT_NE(menu.find("<dd title=\"NetDrivers/NetDrivers.asp?p_CurrentFolder=a&amp;b\"><a "
                      "href=\"/qe/main/netdrivers.asp?p_CurrentFolder=a&amp;b\">网络硬盘</a></dd>\n"),
            std::string::npos)
      << menu;
  EXPECT_NE(menu.find("<dd title=\"archives/archives_passwd.asp\"><a href=\"/qe/main/password.asp\">修改密码</a></dd>\n"),
            std::string::npos)
      << menu;
}

TEST_F(StartMenuTest, AnEmptyMenuIsAnEmptyList) {
  Execute(u"Update [Class] Set Active=0");
  EXPECT_EQ(Menu(), "<dl class=\"menu\">\n</dl>\n");
}

}  // namespace
}  // namespace site_databases
