// The data maintenance form and the operator accounts page: the page per
// form type, the posted actions (only from this site), the repair level's
// rounding; the accounts grid, its limit, and what an operator without
// manager rights may and may not do.
#include <gtest/gtest.h>

#include <regex>

#include "access_site.h"
#include "common/kesra_class_md5.h"
#include "platform/vb/strings.h"
#include "maintenance/kesra_data.h"
#include "maintenance/shipped_configuration.h"
#include "shell/qe_data_init.h"
#include "shell/qe_main_database.h"

namespace access_test {
namespace {

namespace stdfs = std::filesystem;

constexpr char16_t kMain[] = u"C:\\site\\data\\qe.asp";
constexpr char16_t kFromOutside[] = u"您提交的数据不合法，请不要从外部提交数据。";

class FormTest : public AccessSiteTest {
 protected:
  void SetUp() override {
    AccessSiteTest::SetUp();
    ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(kMain));
  }
  // A request of the site's page; a post from one of its pages unless `referer` says otherwise.
  void Request(asp::NameValueList form, const char16_t* referer = u"http://school.cn/datemanager/x.asp",
               StringView url = u"/datemanager/data_manager.asp") {
    asp::RequestSpec wanted;
    wanted.url = String(url);
    wanted.headers = {{u"Host", u"school.cn"}};
    if (referer) wanted.headers.emplace_back(u"Referer", referer);
    if (!form.empty()) wanted.method = u"POST";
    wanted.form = std::move(form);
    context_ = std::make_unique<asp::Context>(std::move(wanted));
    request_ = context_->Request();
    response_ = context_->Response();
    server_ = context_->Server();
    application_ = context_->Application();
  }
  String Form(int16_t type, StringView data_type = u"Access") {
    return qe::KesraShowFormData(response_, request_, server_, application_, type, String(data_type), u"");
  }
  bool PageSays(StringView message) const { return Ended() && Body().find(u"对不起，" + String(message)) != String::npos; }
  static bool Has(const String& text, StringView part) { return text.find(part) != String::npos; }
};

TEST_F(FormTest, PagePerType) {
  Request({});
  String backup = Form(1);
  EXPECT_TRUE(Has(backup, u"<form method='post' name='myform' action='?p_FormType=1'>"));
  EXPECT_TRUE(Has(backup, u"height:30px;\" align=center>数据备份</div>"));
  EXPECT_TRUE(Has(backup, u"value='确定'"));
  std::wregex preset(L"下'value='[0-9]{14}'>");
  EXPECT_TRUE(std::regex_search(std::wstring(backup.begin(), backup.end()), preset));
  for (int16_t type : {0, 6, 10}) {
    String page = Form(type);
    EXPECT_TRUE(Has(page, u"align=center></div>")) << type;
    EXPECT_TRUE(Has(page, u"vertical-align: top\">&nbsp;&nbsp;&nbsp;&nbsp;</div>")) << type;
    EXPECT_FALSE(Has(page, u"value='确定'")) << type;
  }
  for (int16_t type : {4, 7}) {
    EXPECT_TRUE(Has(Form(type, u"access"), u"&nbsp;&nbsp;&nbsp;&nbsp;此功能只对Access数据库起作用。</div>")) << type;
    EXPECT_FALSE(Has(Form(type, u"access"), u"value='确定'")) << type;
    EXPECT_TRUE(Has(Form(type, u"Access"), u"value='确定'")) << type;
  }
  String repair = Form(9);
  EXPECT_TRUE(Has(repair, u"<input name='level' type='radio' value='1' onclick=\"javascript:show_info.innerHTML='"
                          u"&nbsp;&nbsp;&nbsp;&nbsp;由于诸如停电"));
  EXPECT_TRUE(Has(repair, u"并自动导入原先数据'\">二级维护<input name='level' type='radio' value='3'"));
  site_.MakeFolder("site/data_backup/20240101000000");
  String restore = Form(2);
  EXPECT_TRUE(Has(restore, u"var p_TempString=\"&nbsp;<img src='../comm/image/kesra_folder_open.asp'"));
  EXPECT_TRUE(Has(restore, u"SelectPathFile('20240101000000')"));
  EXPECT_TRUE(Has(restore, u"ShowHtmlString(\"请选择备份文件路径：\",p_TempString,220,320);>"));
  EXPECT_FALSE(Ended());
}

TEST_F(FormTest, BackupThenRestoreThroughTheForm) {
  com::Call(Open(Jet(kMain)), u"Execute", String(u"Insert Into [Part] ([Part]) Values('before')"));
  Request({{u"save", u"save"}, {u"DataBackupPath", u" kept "}});
  String page = Form(1);
  EXPECT_TRUE(Has(page, u"数据备份成功！")) << vb::ToUtf8(Body());
  EXPECT_TRUE(stdfs::exists(site_.Host("site/data_backup/kept/qe.asp")));
  com::Call(Open(Jet(kMain)), u"Execute", String(u"Update [Part] Set [Part]='after'"));

  Request({{u"save", u"save"}, {u"DataBackupPath", u"kept"}});
  EXPECT_TRUE(Has(Form(2), u"数据恢复成功！"));
  EXPECT_EQ(vb::CStr(Scalar(Open(Jet(kMain)), u"Select [Part] From [Part]")), u"before");

  // A posted name that leaves the backup folder is refused.
  Request({{u"save", u"save"}, {u"DataBackupPath", u"..\\data"}});
  EXPECT_EQ(Form(2), u"");
  EXPECT_TRUE(PageSays(u"请按如下格式输入"));
}

TEST_F(FormTest, ActionsOnlyFromThisSite) {
  site_.WriteFile("site/AutoBackup/x.txt", "x");
  for (const char16_t* referer : {static_cast<const char16_t*>(nullptr), u"http://evil.net/"}) {
    Request({{u"save", u"save"}, {u"DataBackupPath", u"evil"}}, referer);
    EXPECT_EQ(Form(1), u"");
    EXPECT_TRUE(PageSays(kFromOutside));
    Request({{u"save", u"save"}}, referer);
    EXPECT_EQ(Form(3), u"");
  }
  EXPECT_FALSE(stdfs::exists(site_.Host("site/data_backup/evil")));
  EXPECT_TRUE(stdfs::exists(site_.Host("site/AutoBackup/x.txt")));

  Request({{u"save", u"save"}});
  EXPECT_TRUE(Has(Form(3), u"数据清理成功！"));
  EXPECT_FALSE(stdfs::exists(site_.Host("site/AutoBackup")));
  Request({{u"save", u"save"}});
  EXPECT_FALSE(Has(Form(6), u"alert("));
}

TEST_F(FormTest, RepairLevelRoundsHalfToEven) {
  ASSERT_TRUE(qe::ProvideShippedConfiguration(u"C:\\site\\Comm\\Data_Mdb.mdb"));
  qe::QeDataInit(response_, request_, server_, application_);
  for (const char16_t* level : {u"", u"0.5", u"3.5", u"x", u"-1"}) {
    Request({{u"save", u"save"}, {u"level", level}});
    EXPECT_TRUE(Has(Form(9), u"请先选择维护级别！")) << vb::ToUtf8(level);
  }
  Request({{u"save", u"save"}, {u"level", u"2.5"}});
  EXPECT_TRUE(Has(Form(9), u"二级维护成功！")) << vb::ToUtf8(Body());
  Request({{u"save", u"save"}, {u"level", u"2.6"}});
  EXPECT_TRUE(Has(Form(9), u"三级维护成功！用户名初始化为tolva，密码为空！")) << vb::ToUtf8(Body());
}

class AccountsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    conn_ = Open(Jet(kMain));
  }
  void AddAccount(StringView name, int right, bool is_default = false, StringView password = u"") {
    qe::Kesra_Class_Md5 md5;
    com::Call(conn_, u"Execute",
              u"Insert Into [Wazh] ([UserName],[Password],[Right],[Part],[IsDefault]) Values('" + vb::Replace(name, u"'", u"''") +
                  u"','" + md5.KesraMd5(password) + u"'," + vb::CStr(Variant(int32_t{right})) + u",''," +
                  (is_default ? u"-1" : u"0") + u")");
  }
  String Page(StringView user, bool manager, asp::NameValueList form = {}, const char16_t* referer =
                                                                              u"http://school.cn/x.asp") {
    Request(std::move(form), referer, u"/datemanager/user.asp");
    // The page's own connection: a refusal closes it.
    Variant session, rs, conn = Open(Jet(kMain));
    return qe::KesraShowFormUser(response_, request_, server_, session, conn, rs, String(user), u"1 ", manager);
  }
  String Rows(StringView sql = u"Select [ID],[UserName],[Right],[IsDefault] From [Wazh] Order By ID") {
    Variant rs = Query(conn_, sql);
    if (vb::CBool(com::Call(rs, u"EOF"))) return {};
    return vb::CStr(com::Call(rs, u"GetString", int32_t{2}, int32_t{-1}, String(u","), String(u";"), String(u"")));
  }
  static int Count(const String& text, StringView part) {
    int n = 0;
    for (size_t at = text.find(part); at != String::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }
  Variant conn_;
};

constexpr char16_t kEmptyRow[] = u"<tr height=20><td style='background-color:#D4D0C7;border:1 solid black;width:0px;'>";

TEST_F(AccountsTest, GridRowsAndPadding) {
  EXPECT_EQ(Count(Page(u"boss", true), kEmptyRow), 11);
  AddAccount(u"boss", 1, true);
  AddAccount(u"<b>o'k</b>", 2);
  AddAccount(u"op", 3);
  String page = Page(u"boss", true);
  EXPECT_EQ(Count(page, kEmptyRow), 8);
  EXPECT_TRUE(Has(page, u"<tr height=20  style='cursor:pointer;' onclick=\"RowClick(this,1);\" ><td "
                        u"style='background-color:#D4D0C7;border:1 solid black;width:20px;color:#D4D0C7;'>1</td>"
                        u"<td>boss</td><td>1</td><td>√</td></tr>"));
  EXPECT_TRUE(Has(page, u"<td>&lt;b&gt;o&#39;k&lt;/b&gt;</td><td>2</td><td></td></tr>"));
  EXPECT_TRUE(Has(page, u"value='添加'  id='Add' style='height:30px;width:87px;margin-right:2px;' class='button_image'>"));
  // An operator sees his own row only, and no enabled Add.
  String own = Page(u"op", false);
  EXPECT_EQ(Count(own, u"RowClick(this,1);"), 1);
  EXPECT_TRUE(Has(own, u"<td>op</td>"));
  EXPECT_TRUE(Has(own, u"class='button_image' disabled >"));
  EXPECT_TRUE(Has(own, u"name='UserName_Edit' size=50 value='\"+myform.UserName.value+\"' disabled"));
}

TEST_F(AccountsTest, ManagerAddsUpToTenAndSetsOneDefault) {
  AddAccount(u"boss", 1, true);
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(Has(Page(u"boss", true, {{u"save", u"save"}, {u"submit", u"添加"}}), u"操作成功！"));
  EXPECT_EQ(vb::CLng(Scalar(conn_, u"Select Count(*) From [Wazh]")), 10);
  EXPECT_EQ(vb::CStr(Scalar(conn_, u"Select [Password] From [Wazh] Where ID=2")), u"D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(vb::CStr(Scalar(conn_, u"Select Len([UserName]) From [Wazh] Where ID=2")), u"20");
  Page(u"boss", true, {{u"save", u"save"}, {u"submit", u"添加"}});
  EXPECT_TRUE(PageSays(u"用户数不能超10个！"));

  Page(u"boss", true, {{u"save", u"save"}, {u"submit", u"设为默认用户"}, {u"UserId", u"3"}});
  EXPECT_EQ(vb::CStr(Scalar(conn_, u"Select Count(*) From [Wazh] Where IsDefault=-1")), u"1");
  EXPECT_EQ(vb::CLng(Scalar(conn_, u"Select [ID] From [Wazh] Where IsDefault=-1")), 3);
}

// An account removed between the form's load and its save (by another
// manager, or an initialisation of the data): the save answers that its ID
// names no account, and nothing else changes.
TEST_F(AccountsTest, ASaveForAnAccountThatIsGoneSaysSoAndChangesNothing) {
  const struct {
    const char16_t* action;
    const char16_t* id_field;
    asp::NameValueList more;
  } cases[] = {
      {u"保存", u"UserId_Edit", {{u"UserName_Edit", u"renamed"}, {u"UserRight_Edit", u"2"}}},
      {u"删除", u"UserId", {}},
      {u"设为默认用户", u"UserId", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(vb::ToUtf8(c.action));
    com::Call(conn_, u"Execute", String(u"Delete From [Wazh]"));
    AddAccount(u"boss", 1, true);
    AddAccount(u"op", 3);
    const String kept = Rows(u"Select [ID],[UserName],[Right],[IsDefault] From [Wazh] Where [UserName]='boss'");
    const String gone = vb::CStr(Scalar(conn_, u"Select [ID] From [Wazh] Where [UserName]='op'"));
    com::Call(conn_, u"Execute", u"Delete From [Wazh] Where [ID]=" + gone);
    asp::NameValueList form = {{u"save", u"save"}, {u"submit", c.action}, {c.id_field, gone}};
    form.insert(form.end(), c.more.begin(), c.more.end());
    const String page = Page(u"boss", true, std::move(form));
    EXPECT_TRUE(PageSays(u"无效ID。")) << vb::ToUtf8(page + Body());
    EXPECT_EQ(Rows(), kept);
  }
}

TEST_F(AccountsTest, DeleteNeverTheStoredOwnAccount) {
  AddAccount(u"boss", 1);
  AddAccount(u"other", 2);
  // The posted name says "other"; the account posted is the manager's own.
  Page(u"boss", true, {{u"save", u"save"}, {u"submit", u"删除"}, {u"UserId", u"1"}, {u"UserName", u"other"}});
  EXPECT_TRUE(PageSays(u"珍惜生命，拒绝自杀！"));
  Page(u"boss", true, {{u"save", u"save"}, {u"submit", u"删除"}, {u"UserId", u"2"}, {u"UserName", u"boss"}});
  EXPECT_FALSE(Ended());
  EXPECT_EQ(Rows(), u"1,boss,1,False;");
}

TEST_F(AccountsTest, AnOperatorChangesOnlyHisOwnPassword) {
  AddAccount(u"boss", 1);
  AddAccount(u"op", 3, false, u"old");
  for (const char16_t* action : {u"添加", u"删除", u"设为默认用户"}) {
    Page(u"op", false, {{u"save", u"save"}, {u"submit", action}, {u"UserId", u"1"}});
    EXPECT_TRUE(PageSays(u"你没有足够的权限！")) << vb::ToUtf8(action);
  }
  Page(u"op", false, {{u"save", u"save"}, {u"submit", u"保存"}, {u"UserId_Edit", u"1"}, {u"UserRight_Edit", u"3"}});
  EXPECT_TRUE(PageSays(u"你无权对该记录进行操作！"));
  // Posting a right and another name for himself changes neither.
  String page = Page(u"op", false, {{u"save", u"save"}, {u"submit", u"保存"}, {u"UserId_Edit", u"2"},
                                    {u"UserName", u"someone"}, {u"UserName_Edit", u"chief"}, {u"UserRight_Edit", u"1"},
                                    {u"ChangePassword", u"1"}, {u"Password_Old", u"old"}, {u"Password_New", u" new "},
                                    {u"Password_Check", u"new"}});
  EXPECT_TRUE(Has(page, u"操作成功！")) << vb::ToUtf8(Body());
  EXPECT_EQ(Rows(), u"1,boss,1,False;2,op,3,False;");
  qe::Kesra_Class_Md5 md5;
  EXPECT_EQ(vb::CStr(Scalar(conn_, u"Select [Password] From [Wazh] Where ID=2")), md5.KesraMd5(u"new"));
  EXPECT_EQ(Rows(), u"1,boss,1,False;2,op,3,False;");
}

TEST_F(AccountsTest, EditSaveRules) {
  AddAccount(u"boss", 1, false, u"pw");
  AddAccount(u"op", 3);
  auto save = [&](asp::NameValueList more) {
    asp::NameValueList form = {{u"save", u"save"}, {u"submit", u"保存"}};
    form.insert(form.end(), more.begin(), more.end());
    return Page(u"boss", true, std::move(form));
  };
  // The manager's own right stays whatever the hidden name says.
  save({{u"UserId_Edit", u"1"}, {u"UserName", u"op"}, {u"UserName_Edit", u"boss"}, {u"UserRight_Edit", u"3"}});
  EXPECT_EQ(Rows(), u"1,boss,1,False;2,op,3,False;");
  // Another account: name (with an apostrophe) and right.
  save({{u"UserId_Edit", u"2"}, {u"UserName", u"boss"}, {u"UserName_Edit", u"o'neil"}, {u"UserRight_Edit", u"2"}});
  EXPECT_EQ(Rows(), u"1,boss,1,False;2,o'neil,2,False;");
  save({{u"UserId_Edit", u"2"}, {u"UserName_Edit", u"boss"}, {u"UserRight_Edit", u"2"}});
  EXPECT_TRUE(PageSays(u"同名用户已经存在，请换名！"));
  for (asp::NameValueList bad : {asp::NameValueList{{u"UserId_Edit", u"2 or 1=1"}, {u"UserRight_Edit", u"2"}},
                                 asp::NameValueList{{u"UserId_Edit", u"2"}, {u"UserRight_Edit", u"1,[Password]=''"}},
                                 asp::NameValueList{{u"UserId_Edit", u""}, {u"UserRight_Edit", u"2"}}}) {
    save(bad);
    EXPECT_TRUE(PageSays(u"无效ID。"));
  }
  Page(u"boss", true, {{u"save", u"save"}, {u"submit", u"删除"}, {u"UserId", u"2 or 1=1"}});
  EXPECT_TRUE(PageSays(u"无效ID。"));
  EXPECT_EQ(Rows(), u"1,boss,1,False;2,o'neil,2,False;");

  save({{u"UserId_Edit", u"1"}, {u"UserName_Edit", u"boss"}, {u"ChangePassword", u"1"}, {u"Password_Old", u"pw"},
        {u"Password_New", u"a"}, {u"Password_Check", u"b"}});
  EXPECT_TRUE(PageSays(u"两次输入的密码不同！"));
  save({{u"UserId_Edit", u"1"}, {u"UserName_Edit", u"boss"}, {u"ChangePassword", u"1"}, {u"Password_Old", u"bad"},
        {u"Password_New", u""}, {u"Password_Check", u""}});
  EXPECT_TRUE(PageSays(u"原密码错误，不能保存！"));
  save({{u"UserId_Edit", u"1"}, {u"UserName_Edit", u"boss"}, {u"ChangePassword", u"1"}, {u"Password_Old", u"pw"},
        {u"Password_New", u""}, {u"Password_Check", u""}});
  EXPECT_FALSE(Ended());
  EXPECT_EQ(vb::CStr(Scalar(conn_, u"Select [Password] From [Wazh] Where ID=1")), u"D41D8CD98F00B204E9800998ECF8427E");
}

TEST_F(AccountsTest, NothingChangesOnAPostFromElsewhere) {
  AddAccount(u"boss", 1);
  Page(u"boss", true, {{u"save", u"save"}, {u"submit", u"添加"}}, u"http://evil.net/");
  EXPECT_TRUE(PageSays(kFromOutside));
  EXPECT_EQ(vb::CLng(Scalar(conn_, u"Select Count(*) From [Wazh]")), 1);
}

}  // namespace
}  // namespace access_test
