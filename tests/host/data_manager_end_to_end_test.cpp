// The data maintenance form through `qe serve`: the administrator backs the
// main database up, a row changes, and the restore brings back the database
// the backup took, statement for statement; the form and the accounts page
// stay closed to anyone else.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "host/site_visitor.h"
#include "host/serve_process.h"
#include "platform/ado/ado_fixture.h"
#include "support/run_command.h"

namespace {

using Answer = host_test::PageAnswer;
using host_test::Visitor;

constexpr char kForm[] = "/datemanager/data_manager.asp";

class DataManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<host_test::ServeProcess>(site_.SiteFolder());
    ado::InstallAllProviders();
  }
  std::string Dump() {
    auto result = qe_test::RunCommand("sqlite3 " + qe_test::ShellQuoted(site_.Host("site/data/qe.asp").string()) +
                                      " .dump 2>&1");
    EXPECT_EQ(result.status, 0) << result.output;
    return result.output;
  }
  // Logs the seeded administrator in: the first time with its empty
  // password, which it must change before any other page opens.
  void LogIn(Visitor& visitor) {
    EXPECT_EQ(visitor.Get("/qe/login.asp").status, 200);
    Answer first = visitor.Post("/qe/login.asp", "UserName=tolva&PassWord=");
    if (first.status != 302) EXPECT_EQ(visitor.Post("/qe/login.asp", "UserName=tolva&PassWord=pw").status, 302);
    else visitor.Post("/qe/main/password.asp", "OldPassWord=&NewPassWord=pw&NewPassWord2=pw", "/qe/main/password.asp");
  }

  qe_test::TempSite site_;
  std::unique_ptr<host_test::ServeProcess> server_;
};

TEST_F(DataManagerTest, BackupAndRestoreThroughTheForm) {
  Visitor admin(server_->Port());
  LogIn(admin);
  Answer form = admin.Get("/datemanager/data_manager.asp?p_FormType=1");
  ASSERT_EQ(form.status, 200);
  ASSERT_NE(form.body.find("数据备份"), std::string::npos) << form.body;

  Answer backup = admin.Post("/datemanager/data_manager.asp?p_FormType=1", "save=save&DataBackupPath=e2e", kForm);
  ASSERT_NE(backup.body.find("数据备份成功！"), std::string::npos) << backup.body;
  const std::string before = Dump();

  ado_test::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Call(conn, u"Open", ado_test::Jet(u"C:\\site\\data\\qe.asp"));
  com::Call(conn, u"Execute", vb::String(u"Update [Part] Set [Part]='changed'"));
  com::Call(conn, u"Close");
  ASSERT_NE(Dump(), before);

  Answer restore = admin.Post("/datemanager/data_manager.asp?p_FormType=2", "save=save&DataBackupPath=e2e", kForm);
  ASSERT_NE(restore.body.find("数据恢复成功！"), std::string::npos) << restore.body;
  EXPECT_EQ(Dump(), before);
  // The page can read the restored database at once.
  EXPECT_EQ(admin.Get("/datemanager/data_manager.asp?p_FormType=2").status, 200);
}

// A page of another service on this host (another port) posting through the
// administrator's browser: refused, nothing backed up, cleared or added.
TEST_F(DataManagerTest, PostsFromAnotherPortChangeNothing) {
  Visitor admin(server_->Port());
  LogIn(admin);
  const std::string before = Dump();
  const std::string elsewhere = "http://127.0.0.1:1/attack.html";
  const std::string add = "save=save&submit=%CC%ED%BC%D3";  // 添加 in the page's code page
  for (const auto& [target, form] : std::vector<std::pair<std::string, std::string>>{
           {"/datemanager/data_manager.asp?p_FormType=1", "save=save&DataBackupPath=evil"},
           {"/datemanager/data_manager.asp?p_FormType=9", "save=save&level=3"},
           {"/datemanager/user_manager.asp", add}}) {
    Answer refused = admin.Post(target, form, elsewhere);
    EXPECT_NE(refused.body.find("您提交的数据不合法，请不要从外部提交数据。"), std::string::npos) << target << refused.body;
  }
  EXPECT_FALSE(std::filesystem::exists(site_.Host("site/data_backup/evil")));
  EXPECT_EQ(Dump(), before);
  // From the page itself the same post adds an account.
  EXPECT_NE(admin.Post("/datemanager/user_manager.asp", add, "/datemanager/user_manager.asp").body.find("操作成功！"),
            std::string::npos);
  EXPECT_NE(Dump(), before);
}

TEST_F(DataManagerTest, OnlyTheAdministratorGetsIn) {
  Visitor stranger(server_->Port());
  for (const char* page : {"/datemanager/data_manager.asp?p_FormType=3", "/datemanager/user_manager.asp"}) {
    Answer answer = stranger.Get(page);
    EXPECT_EQ(answer.body.find("数据清理"), std::string::npos) << page;
    EXPECT_EQ(answer.body.find("用户管理"), std::string::npos) << page;
  }
  Visitor admin(server_->Port());
  LogIn(admin);
  Answer accounts = admin.Get("/datemanager/user_manager.asp");
  EXPECT_NE(accounts.body.find("<table id='grid'"), std::string::npos) << accounts.body;
}

}  // namespace
