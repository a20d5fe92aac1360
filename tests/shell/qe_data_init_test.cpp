// First-run seeding of a new main database (made from the schema the
// component carries): the administrator, the first department and the
// default menu, all in one transaction, on Access and on SQL Server.
#include "shell/qe_data_init.h"

#include "common/kesra_class_md5.h"
#include "shell/qe_application_data.h"
#include "shell/qe_config.h"
#include "shell/qe_main_database.h"
#include "site_databases.h"
#include "support/scripted_sql_server.h"

namespace site_databases {
namespace {

// The default menu: group number, item number, item name and address.
const char16_t* const kMenuItems[] = {
    u"1|1|内部通知|tongzhi/tongzhi.asp",
    u"1|2|处室动态|xxdsj/xxdsj.asp",
    u"1|3|学习材料管理|learn/learn_manager.asp",
    u"1|4|流转收文管理|getfile/getfile_manager.asp",
    u"1|5|流转发文管理|putfile/putfile_manager.asp",
    u"1|6|上报材料上传|baobiao/file_add.asp",
    u"1|7|上报材料收取|baobiao/file_shouqu.asp",
    u"2|1|作息时间表|studytime/study_time_view.asp",
    u"2|2|课程表|studyteach/study_teach_view.asp",
    u"2|3|课程表管理|studyteach/study_teach_manager.asp",
    u"2|4|功课临时调动|workchange/workchange_view.asp",
    u"2|5|课表管理|kwgl/index.asp",
    u"2|6|接口参数设置|kwgl/setup.asp",
    u"2|7|教学计划|teachplan/teachplan_view.asp",
    u"2|8|教学行事历|teachplan_time/teachplan_time_view.asp",
    u"3|1|学生浏览|xsgl/xsxx.asp",
    u"3|2|导生管理|xsgl/dsgl.asp",
    u"3|3|接口参数设置|xsgl/setup.asp",
    u"4|1|教师浏览|admin/user_view.asp",
    u"4|2|教师业绩管理|teacher_honor/teacher_honor_list.asp",
    u"4|3|教师档案管理|teacher_honor/index.asp",
    u"4|4|接口参数设置|teacher_honor/setup.asp",
    u"5|1|信息中心|fabu/fabu_manager.asp",
    u"5|2|讨论中心|bbs/bbs.asp",
    u"5|3|会议中心|meeting/meeting.asp",
    u"5|4|投票中心|vote/vote.asp",
    u"5|5|调查中心|dctj/index.asp",
    u"5|6|软件交流|soft/soft_view.asp",
    u"5|7|聊天茶室|chatroom/chatroom.asp",
    u"6|1|我的资源库|resource/resource_manager.asp?showtype=self",
    u"6|2|资源收藏夹|resource/resource_collection.asp",
    u"6|3|资源库统计|resource/resource_manager_total.asp",
    u"7|1|网络相册|album/album_class_list.asp?showtype=self",
    u"7|2|博客家园|blog/index.asp",
    u"7|3|视频点播|movie/movie_manager.asp",
    u"7|4|音乐天地|music/music_manager.asp",
    u"7|5|动漫世界|flash/flash_manager.asp",
    u"8|1|公共信箱|mail/mail_box.asp?subject=common",
    u"8|2|写邮件|mail/mail_write.asp",
    u"8|3|收件箱|mail/mail_box.asp?subject=recived",
    u"8|4|发件箱|mail/mail_box.asp?subject=sendout",
    u"8|5|回收站|mail/mail_box.asp?subject=del",
    u"9|1|常用电话|tel/tel_view.asp",
    u"9|2|常用网址|netlink/netlink_view.asp",
    u"9|3|邮政区号查询|youbian/index.asp",
    u"9|4|手机地址及IP|shouji/index.asp",
    u"9|5|万年历|rl/cal.asp",
    u"10|1|个人通讯录|txl/txl_view.asp",
    u"10|2|个人收藏夹|url/url_view.asp",
    u"10|3|个人备忘录|notebook/notebook.asp",
    u"10|4|网络硬盘|netdrivers/netdrivers.asp",
    u"10|5|日程安排|calendar/calendar_view.asp",
    u"10|6|个人信息|archives/archives_view.asp",
    u"10|7|个性设置|archives/archives_set.asp",
    u"10|8|修改密码|archives/archives_passwd.asp",
    u"11|1|用户管理|admin/admin_user_view.asp",
    u"11|2|部门管理|admin/admin_part.asp",
    u"11|3|权限分配|admin/admin_quanxian.asp",
    u"11|4|系统参数设置|admin/admin_system_set.asp",
    u"12|1|数据字典|datemanager/date_sjzd_view.asp",
    u"12|2|数据备份|datemanager/data_manager.asp?p_FormType=1",
    u"12|3|数据恢复|datemanager/data_manager.asp?p_FormType=2",
    u"12|4|数据压缩|datemanager/data_manager.asp?p_FormType=4",
    u"12|5|数据初始化|datemanager/data_manager.asp?p_FormType=8",
    u"12|6|数据维护|datemanager/data_manager.asp?p_FormType=9",
    u"13|1|栏目排序|system/admin_class_sort.asp",
    u"13|2|栏目开关|system/admin_class_enabled.asp",
};

const String kGroups =
    u"1,行政管理;2,教学管理;3,学生管理;4,教师管理;5,交流中心;6,资源中心;7,休闲中心;8,办公信箱;9,公共信息;"
    u"10,个人助理;11,超级管理;12,数据维护;13,系统管理;";

String Joined(const std::vector<String>& rows) {
  String text;
  for (const String& row : rows) text += row + u";";
  return text;
}

class QeDataInitTest : public SiteDatabaseTest {
 protected:
  void SetUp() override {
    SiteDatabaseTest::SetUp();
    ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(kMainFile));
  }
  void TearDown() override {
    ado::SetSqlServerDriver(nullptr);
    SiteDatabaseTest::TearDown();
  }
  void DataInit(Page& page) {
    com::Call(NewQeCls(), u"CommDataInit", page.response, page.request, page.server, page.application);
  }
  static Variant Main() { return Open(ado_test::Jet(kMainFile)); }
  static int32_t Count(vb::StringView table) {
    return vb::CLng(Scalar(Main(), u"Select Count(*) From [" + String(table) + u"]"));
  }
  static String Menu(const Variant& conn) {
    Variant rs = Query(conn, u"Select ClassID, SortID, NClass, Url From [NClass] Order By ID");
    return vb::CStr(com::Call(rs, u"GetString", int32_t{2}, int32_t{-1}, String(u"|"), String(u";"), String(u"")));
  }
};

TEST_F(QeDataInitTest, SeedsTheAdministratorTheFirstDepartmentAndTheDefaultMenu) {
  auto page = NewPage();
  DataInit(*page);
  EXPECT_FALSE(page->Ended());
  EXPECT_EQ(Count(u"User"), 1);
  EXPECT_EQ(Count(u"UserInfo"), 1);
  EXPECT_EQ(Count(u"Part"), 1);
  EXPECT_EQ(Count(u"Class"), 13);
  EXPECT_EQ(Count(u"NClass"), 67);
  Variant conn = Main();
  EXPECT_EQ(Rows(conn, u"Select ID, Name, UserName, PassWord, Rule, ShenHe, Part, Times, iPageSize, iAdd, SystemSet, "
                       u"Question, Answer, IP, Phone From [User]"),
            u"1,管理员,tolva," + vb::CStr(com::Call(NewQeCls(), u"CommMd5", String(u""))) +
                u",a,True,网管中心,0,25,,100|100|10|100|100,,,10.1.2.3,;");
  String stamp = vb::CStr(Scalar(conn, u"Select [Time] From [User]"));
  EXPECT_EQ(stamp.size(), 14u);
  EXPECT_EQ(stamp.find_first_not_of(u"0123456789"), String::npos);
  EXPECT_EQ(Rows(conn, u"Select UserID, HavePhoto From [UserInfo]"), u"1,0;");
  EXPECT_EQ(Rows(conn, u"Select ID, Part From [Part]"), u"1,网管中心;");
  EXPECT_EQ(Rows(conn, u"Select SortID, Class From [Class] Where Active=-1 And Title='' Order By ID"), kGroups);
  EXPECT_EQ(Menu(conn), Joined({std::begin(kMenuItems), std::end(kMenuItems)}));
  EXPECT_EQ(vb::CLng(Scalar(conn, u"Select Count(*) From [NClass] Where Active=-1 And Manager='' And Title=''")), 67);
  // A new database numbers its groups from 1, so each item names its group's row.
  EXPECT_EQ(vb::CLng(Scalar(conn, u"Select Count(*) From [NClass] As n Inner Join [Class] As c "
                                  u"On n.ClassID = c.ID And n.ClassID = c.SortID")),
            67);
  EXPECT_EQ(Rows(conn, u"Select SortID From [NClass] Where ClassID=12 Order By ID"), u"1;2;3;4;5;6;");
}

TEST_F(QeDataInitTest, TheClientAddressIsStoredAsTheTextItIs) {
  auto page = NewPage(u"10.0.0.1'),('x");
  DataInit(*page);
  EXPECT_EQ(Rows(Main(), u"Select IP From [User]"), u"10.0.0.1'),('x;");
  EXPECT_EQ(Count(u"User"), 1);
}

TEST_F(QeDataInitTest, AFailingStatementLeavesNoRowAndTheDatabaseCanBeSeededAgain) {
  com::Call(Main(), u"Execute", String(u"Drop Table [NClass]"));
  auto page = NewPage();
  EXPECT_EQ(ErrorOf([&] { DataInit(*page); }), ado::kDbNoSuchTable);
  for (const char16_t* table : {u"User", u"UserInfo", u"Part", u"Class"}) EXPECT_EQ(Count(table), 0) << vb::ToUtf8(table);
  for (const String& statement : qe::MainSchemaStatements())
    if (statement.starts_with(u"Create Table [NClass]")) com::Call(Main(), u"Execute", statement);
  DataInit(*page);
  EXPECT_EQ(Count(u"User"), 1);
  EXPECT_EQ(Count(u"NClass"), 67);
}

TEST_F(QeDataInitTest, WithoutTheMainDatabaseFileTheDatabasesErrorFailsTheCallAndNoFileIsMade) {
  std::filesystem::remove(site_.Host("site/Data/qe.asp"));
  auto page = NewPage();
  EXPECT_LT(ErrorOf([&] { DataInit(*page); }), 0);
  EXPECT_FALSE(page->Ended());
  EXPECT_EQ(DataFolder(), std::vector<std::string>{"Config.htm"});
}

TEST_F(QeDataInitTest, AMissingConfigurationRowEndsTheRequestBeforeAnyRowIsWritten) {
  auto page = NewPage();
  qe::QeConfig_GetConnString(page->server, page->request);
  com::Call(Open(ado_test::Jet(kConfigFile)), u"Execute", String(u"Delete From [Config] Where ConfigClass='DataType'"));
  DataInit(*page);
  EXPECT_TRUE(page->Ended());
  EXPECT_NE(page->Body().find(u"设置数据库类型参数"), String::npos);
  EXPECT_EQ(Count(u"User"), 0);
}

TEST_F(QeDataInitTest, TheSeededMenuReadsAPageAtATime) {
  auto page = NewPage();
  DataInit(*page);
  Variant rs = Query(Main(), u"Select NClass From [NClass] Order By ClassID, SortID");
  com::Let(rs, u"PageSize", Variant(int32_t{10}));
  EXPECT_EQ(Long(rs, u"RecordCount"), 67);
  EXPECT_EQ(Long(rs, u"PageCount"), 7);
  com::Let(rs, u"AbsolutePage", Variant(int32_t{7}));
  EXPECT_EQ(Long(rs, u"AbsolutePosition"), 61);
  std::vector<String> last_page;
  for (int i = 0; i < 10 && !Bool(rs, u"EOF"); ++i, com::Call(rs, u"MoveNext"))
    last_page.push_back(vb::CStr(Field(rs, u"NClass")));
  EXPECT_EQ(last_page, (std::vector<String>{u"数据备份", u"数据恢复", u"数据压缩", u"数据初始化", u"数据维护", u"栏目排序",
                                             u"栏目开关"}));
  EXPECT_TRUE(Bool(rs, u"EOF"));
}

TEST_F(QeDataInitTest, OnSqlServerTheSameStatementsGoToTheServerInOneTransaction) {
  auto driver = std::make_shared<test_sql_server::ScriptedDriver>();
  ado::SetSqlServerDriver(driver);
  auto page = NewPage();
  qe::QeConfig_GetConnString(page->server, page->request);
  Variant config = Open(ado_test::Jet(kConfigFile));
  com::Call(config, u"Execute", String(u"Update [Config] Set ConfigPara1='SQLServer' Where ConfigClass='DataType'"));
  com::Call(config, u"Execute",
            String(u"Update [Config] Set ConfigPara1='db.school', ConfigPara3='pw' Where ConfigClass='SQL_Server'"));
  DataInit(*page);
  ASSERT_EQ(driver->logins.size(), 1u);
  EXPECT_EQ(driver->logins[0].host, "db.school");
  EXPECT_EQ(driver->logins[0].user, "sa");
  EXPECT_EQ(driver->logins[0].password, "pw");
  EXPECT_EQ(driver->logins[0].database, "Qe");
  const auto& sent = driver->statements;
  ASSERT_EQ(sent.size(), 2u + 3 + 13 + 67);
  EXPECT_EQ(sent.front(), u"BEGIN TRANSACTION");
  EXPECT_EQ(sent.back(), u"COMMIT TRANSACTION");
  const String user_head =
      u"Insert Into [User] ([Name],[UserName],[PassWord],[Rule],[ShenHe],[Part],[Time],[Times],[iPageSize],[iAdd],"
      u"[SystemSet],[Question],[Answer],[IP],[Phone]) Values('管理员','tolva','D41D8CD98F00B204E9800998ECF8427E','a',-1,"
      u"'网管中心','";
  EXPECT_TRUE(sent[1].starts_with(user_head)) << vb::ToUtf8(sent[1]);
  EXPECT_EQ(sent[1].substr(user_head.size() + 14), u"',0,25,'','100|100|10|100|100','','','10.1.2.3','')");
  EXPECT_EQ(sent[2], u"Insert Into [UserInfo] ([UserID],[HavePhoto]) Values(1,0)");
  EXPECT_EQ(sent[3], u"Insert Into [Part] ([Part]) Values('网管中心')");
  EXPECT_EQ(sent[4], u"Insert Into [Class] ([Class],[Active],[SortID],[Title]) Values('行政管理',-1,1,'')");
  EXPECT_EQ(sent[5], u"Insert Into [NClass] ([NClass],[ClassID],[Url],[Active],[SortID],[Manager],[Title]) "
                     u"Values('内部通知',1,'tongzhi/tongzhi.asp',-1,1,'','')");
  EXPECT_EQ(sent[sent.size() - 2], u"Insert Into [NClass] ([NClass],[ClassID],[Url],[Active],[SortID],[Manager],"
                                   u"[Title]) Values('栏目开关',13,'system/admin_class_enabled.asp',-1,2,'','')");
  EXPECT_EQ(Count(u"User"), 0);  // the Access file is not the main database here
}

TEST_F(QeDataInitTest, TheSchemaMakesEachTableOnceWithKeysFromOne) {
  EXPECT_FALSE(qe::CreateMainDatabaseFromSchema(kMainFile));
  EXPECT_EQ(qe::MainSchemaStatements().size(), 15u);
  Variant catalog = Create(u"ADOX.Catalog");
  com::Let(catalog, u"ActiveConnection", Variant(ado_test::Jet(kMainFile)));
  Variant tables = com::Call(catalog, u"Tables");
  std::vector<String> names;
  for (int32_t i = 0; i < Long(tables, u"Count"); ++i) {
    Variant table = com::Call(tables, u"Item", i);
    if (vb::CStr(Prop(table, u"Type")) == u"TABLE") names.push_back(vb::CStr(Prop(table, u"Name")));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<String>{u"Blog", u"Blog_Info", u"Blog_Message", u"Blog_Review", u"BuMen", u"Class",
                                        u"FormSample", u"NClass", u"Part", u"Resource", u"Sjzd", u"User", u"UserInfo", u"Wazh", u"Xtsz"}));
  EXPECT_EQ(Count(u"User"), 0);
}

// The main database is made under a staged name and copied into its own:
// nothing of this process may keep the staged file open once it is gone.
TEST_F(QeDataInitTest, NoDescriptorOfTheStagedFileOutlivesIt) {
  std::vector<std::string> open_staged;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    std::string target = std::filesystem::read_symlink(fd.path(), error).string();
    if (target.find(".new") != std::string::npos) open_staged.push_back(target);
  }
  EXPECT_EQ(open_staged, std::vector<std::string>{});
}

}  // namespace
}  // namespace site_databases
