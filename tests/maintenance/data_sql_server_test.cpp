// The SQL Server branches of the data procedures and the creation of a
// catalog from the site's script, against the scripted driver: the exact
// statements and their order, none of BACKUP, RESTORE or CREATE DATABASE in
// a transaction, the script's batches, failing statements; and against a
// closed port, the outcome of an unreachable server.
#include <gtest/gtest.h>

#include <regex>

#include "maintenance/kesra_data.h"
#include "maintenance/sql_server_script.h"
#include "shell/qe_main_database.h"
#include "platform/vb/strings.h"
#include "platform/fs/paths.h"
#include "shell/qe_config.h"
#include "shell/site_databases.h"
#include "support/scripted_sql_server.h"

namespace site_databases {
namespace {

using test_sql_server::ScriptedDriver;
using vb::StringView;

constexpr char16_t kExists[] = u"Select Name From [dbo].[SysDataBases] Where [Name] = 'Qe';";
constexpr char16_t kSessions[] = u"select  spid  from  sysprocesses  where  dbid=db_id('Qe')";
constexpr char16_t kCreate[] =
    u"Create database Qe on primary(name =Qe,filename=\"D:\\site\\data\\Qe.mdf\",size=10mb,filegrowth=2)log on(name "
    u"=QeLog,filename=\"D:\\site\\data\\Qe.ldf\",size=10mb,filegrowth=2)";

class SqlServerDataTest : public SiteDatabaseTest {
 protected:
  void SetUp() override {
    SiteDatabaseTest::SetUp();
    ado::SetSqlServerDriver(driver_);
    // No catalog and no sessions until a test says otherwise.
    driver_->answers[kExists] = ScriptedDriver::Rows(u"Name", {});
    driver_->answers[kSessions] = ScriptedDriver::Rows(u"spid", {});
    fs::MapDrive(u'D', site_.Drive());
    page_ = NewPage();
  }
  void TearDown() override {
    fs::UnmapDrive(u'D');
    ado::SetSqlServerDriver(nullptr);
    SiteDatabaseTest::TearDown();
  }
  // The site's main database on the scripted server, so that seeding goes there.
  void MainDatabaseOnSqlServer() {
    qe::QeConfig_GetConnString(page_->server, page_->request);
    Variant config = Open(ado_test::Jet(kConfigFile));
    com::Call(config, u"Execute", String(u"Update [Config] Set ConfigPara1='SQLServer' Where ConfigClass='DataType'"));
    com::Call(config, u"Execute",
              String(u"Update [Config] Set ConfigPara1='db.school', ConfigPara3='pw' Where ConfigClass='SQL_Server'"));
  }
  void Script(std::string_view text) { site_.WriteFile("site/Comm/Data_Sql.mdb", text); }
  bool Backup(StringView list) {
    page_ = NewPage();
    return qe::KesraDataBackup(page_->response, page_->request, page_->server, u"SQLServer", String(list));
  }
  bool Restore(StringView list) {
    page_ = NewPage();
    return qe::KesraDataRestore(page_->response, page_->request, page_->server, u"", String(list));
  }
  bool Create(bool overwrite, StringView server = u"db.school", StringView password = u"pw") {
    return qe::KesraCreateMdfFromSql(page_->response, page_->request, page_->server, page_->application, u"Qe",
                                     u"D:\\site\\data", String(server), u"sa", String(password),
                                     u"../Comm/Data_Sql.mdb", overwrite);
  }
  bool PageSays(StringView message) const {
    return page_->Ended() && page_->Body().find(u"对不起，" + String(message)) != String::npos;
  }
  // The statements sent to the server for the catalog, up to the seeding.
  std::vector<String> UpToSeeding() const {
    std::vector<String> out;
    for (const String& s : driver_->statements) {
      if (s == u"BEGIN TRANSACTION") break;
      out.push_back(s);
    }
    return out;
  }

  std::shared_ptr<ScriptedDriver> driver_ = std::make_shared<ScriptedDriver>();
  std::unique_ptr<Page> page_;
};

TEST_F(SqlServerDataTest, BackupRunsOneStatementOutsideAnyTransaction) {
  ASSERT_TRUE(Backup(u"nightly$Qe.bak$Qe$db.school$sa$pw"));
  EXPECT_EQ(driver_->statements, std::vector<String>{u"backup database Qe to disk='C:\\site\\data_backup\\nightly\\Qe.bak'"});
  ASSERT_EQ(driver_->logins.size(), 1u);
  EXPECT_EQ(driver_->logins[0].host, "db.school");
  EXPECT_EQ(driver_->logins[0].database, "Qe");
  EXPECT_EQ(driver_->logins[0].user, "sa");
  EXPECT_EQ(driver_->logins[0].password, "pw");
  EXPECT_TRUE(std::filesystem::is_directory(site_.Host("site/data_backup/nightly")));

  // Other names are bracketed, literals quoted, ";" never starts a key.
  ASSERT_TRUE(Backup(u"o'k$a'b.bak$my]db$db.school$s;a$p;w"));
  EXPECT_EQ(driver_->statements.back(),
            u"backup database [my]]db] to disk='C:\\site\\data_backup\\o''k\\a''b.bak'");
  EXPECT_EQ(driver_->logins.back().database, "my]db");
  EXPECT_EQ(driver_->logins.back().user, "s;a");
  EXPECT_EQ(driver_->logins.back().password, "p;w");
}

TEST_F(SqlServerDataTest, BackupFailuresAndRefusals) {
  driver_->failing.insert(u"backup database Qe to disk='C:\\site\\data_backup\\b\\Qe.bak'");
  EXPECT_FALSE(Backup(u"b$Qe.bak$Qe$db.school$sa$pw"));
  EXPECT_FALSE(page_->Ended());
  EXPECT_FALSE(Backup(u"b$Qe.bak$Qe$db.school$sa$wrong"));
  EXPECT_FALSE(page_->Ended());
  for (const char16_t* list : {u"$Qe.bak$Qe$db.school$sa$pw", u"b$$Qe$db.school$sa$pw", u"b$Qe.bak$Qe$db.school$$pw",
                               u"..$Qe.bak$Qe$db.school$sa$pw", u"b$..\\..\\x.bak$Qe$db.school$sa$pw",
                               u"b$x:y$Qe$db.school$sa$pw", u"a\\b$Qe.bak$Qe$db.school$sa$pw"}) {
    EXPECT_FALSE(Backup(list));
    EXPECT_TRUE(PageSays(u"参数错误！")) << vb::ToUtf8(list);
  }
  EXPECT_EQ(driver_->statements.size(), 1u);
}

TEST_F(SqlServerDataTest, RestoreEndsTheSessionsThenRestores) {
  driver_->answers[kSessions] = ScriptedDriver::Rows(u"spid", {Variant(int32_t{51}), Variant(int32_t{64})});
  ASSERT_TRUE(Restore(u"nightly$Qe.bak$Qe$db.school$sa$pw"));
  EXPECT_EQ(driver_->statements,
            (std::vector<String>{kSessions, u"kill 51", u"kill 64",
                                 u"Restore Database Qe From Disk='C:\\site\\data_backup\\nightly\\Qe.bak'  with REPLACE"}));
  EXPECT_EQ(driver_->logins[0].database, "master");
  EXPECT_EQ(driver_->logins[0].host, "db.school");

  EXPECT_FALSE(Restore(u"nightly$Qe.bak$$db.school$sa$pw"));
  EXPECT_TRUE(PageSays(u"参数错误！"));
  EXPECT_FALSE(Restore(u"../x$Qe.bak$Qe$db.school$sa$pw"));
  EXPECT_TRUE(PageSays(u"参数错误！"));
  // A failure reaches the page as the error it is.
  EXPECT_THROW(Restore(u"nightly$Qe.bak$Qe$db.school$sa$wrong"), vb::Error);
  driver_->failing.insert(u"Restore Database Qe From Disk='C:\\site\\data_backup\\nightly\\Qe.bak'  with REPLACE");
  EXPECT_THROW(Restore(u"nightly$Qe.bak$Qe$db.school$sa$pw"), vb::Error);
}

TEST_F(SqlServerDataTest, CreationMakesTheCatalogRunsTheBatchesAndSeeds) {
  MainDatabaseOnSqlServer();
  Script("Create Table [A] ([ID] int)\r\nGO\r\nCreate Table [B] ([ID] int)\r\ngo\r\nCreate Table [C] ([ID] int)\r\n");
  ASSERT_TRUE(Create(false)) << vb::ToUtf8(page_->Body());
  EXPECT_EQ(UpToSeeding(), (std::vector<String>{kExists, kCreate, u"USE [Qe]", u"Create Table [A] ([ID] int)\r\n",
                                                u"Create Table [B] ([ID] int)\r\n",
                                                u"Create Table [C] ([ID] int)\r\n"}));
  EXPECT_EQ(driver_->statements.back(), u"COMMIT TRANSACTION");  // the seeding
  EXPECT_EQ(driver_->logins[0].database, "master");
}

TEST_F(SqlServerDataTest, GoLinesAndEmptyBatches) {
  MainDatabaseOnSqlServer();
  struct Case {
    std::string script;
    std::vector<String> batches;
    bool result;
  } cases[] = {
      {"A\r\nGO\r\n", {u"A\r\n"}, true},                         // no empty batch after the last GO
      {"A\nGo\nB", {u"A\r\n", u"B\r\n"}, true},                   // the last batch without GO
      {"GO\r\nA\r\n", {u"A\r\n"}, false},                         // an empty first batch fails
      {"A\r\nGO\r\nGO\r\nB\r\n", {u"A\r\n", u"B\r\n"}, false},    // two GO lines in a row
      {"A\r\n GO\r\nGO;\r\nB\r\n", {u"A\r\n GO\r\nGO;\r\nB\r\n"}, true},  // not separators
  };
  for (const auto& c : cases) {
    driver_->statements.clear();
    Script(c.script);
    page_ = NewPage();
    EXPECT_EQ(Create(false), c.result) << c.script;
    std::vector<String> sent = UpToSeeding();
    ASSERT_GE(sent.size(), 3u) << c.script;
    EXPECT_EQ(std::vector<String>(sent.begin() + 3, sent.end()), c.batches) << c.script;
  }
}

TEST_F(SqlServerDataTest, AnExistingCatalogIsKeptOrSavedBeforeItIsDropped) {
  MainDatabaseOnSqlServer();
  Script("A\r\n");
  driver_->answers[kExists] = ScriptedDriver::Rows(u"Name", {Variant(String(u"Qe"))});
  ASSERT_TRUE(Create(false));
  EXPECT_EQ(driver_->statements, std::vector<String>{kExists});

  driver_->statements.clear();
  driver_->answers[kSessions] = ScriptedDriver::Rows(u"spid", {Variant(int32_t{53})});
  ASSERT_TRUE(Create(true)) << vb::ToUtf8(page_->Body());
  std::vector<String> sent = UpToSeeding();
  ASSERT_EQ(sent.size(), 8u);
  EXPECT_EQ(sent[0], kExists);
  std::smatch m;
  std::string backup = vb::ToUtf8(sent[1]);
  ASSERT_TRUE(std::regex_match(
      backup, m, std::regex("backup database Qe to disk='C:\\\\site\\\\AutoBackup\\\\【数据初始化自动备份】([0-9A-Za-z]{16})\\\\Qe'")))
      << backup;
  EXPECT_TRUE(std::filesystem::is_directory(site_.Host("site/AutoBackup/【数据初始化自动备份】" + m[1].str())));
  EXPECT_EQ(std::vector<String>(sent.begin() + 2, sent.end()),
            (std::vector<String>{kSessions, u"kill 53", u"Drop Database Qe", kCreate, u"USE [Qe]", u"A\r\n"}));
}

TEST_F(SqlServerDataTest, NothingIsDroppedUnsaved) {
  MainDatabaseOnSqlServer();
  Script("A\r\n");
  driver_->answers[kExists] = ScriptedDriver::Rows(u"Name", {Variant(String(u"Qe"))});
  driver_->failing_starts.push_back(u"backup database Qe to disk=");
  EXPECT_FALSE(Create(true));
  ASSERT_EQ(driver_->statements.size(), 2u);
  EXPECT_EQ(driver_->statements[0], kExists);
  EXPECT_TRUE(driver_->statements[1].starts_with(u"backup database Qe to disk="));
}

TEST_F(SqlServerDataTest, AFailedCreationIsNoSuccess) {
  MainDatabaseOnSqlServer();
  Script("A\r\n");
  driver_->failing.insert(kCreate);
  EXPECT_FALSE(Create(false));
  EXPECT_EQ(driver_->statements, (std::vector<String>{kExists, kCreate}));

  driver_->statements.clear();
  EXPECT_FALSE(Create(false, u"db.school", u"wrong"));
  EXPECT_TRUE(driver_->statements.empty());

  page_ = NewPage();
  EXPECT_FALSE(qe::KesraDataCreateInit(page_->response, page_->request, page_->server, page_->application, u"sql",
                                       u"db.school$sa$wrong", true));
  EXPECT_TRUE(PageSays(u"数据库连接参数错误，不能打开！"));
  page_ = NewPage();
  EXPECT_THROW(qe::KesraDataCreateInit(page_->response, page_->request, page_->server, page_->application, u"sql",
                                       u"db.school$sa", true),
               vb::Error);
}

// The form's SQL Server lists: backup file "Qe" of catalog "Qe", then the
// server, user and password; a restore reloads the frames.
TEST_F(SqlServerDataTest, TheFormBacksUpAndRestoresTheCatalogQe) {
  asp::RequestSpec wanted;
  wanted.url = u"/datemanager/data_manager.asp";
  wanted.headers = {{u"Host", u"school.cn"}, {u"Referer", u"http://school.cn/x.asp"}};
  wanted.method = u"POST";
  wanted.form = {{u"save", u"save"}, {u"DataBackupPath", u"night"}};
  wanted.application = application_;
  Page backup(wanted);
  String page = qe::KesraShowFormData(backup.response, backup.request, backup.server, backup.application, 1,
                                      u"SQLServer", u"db.school$sa$pw");
  EXPECT_NE(page.find(u"数据备份成功！"), String::npos);
  Page restore(wanted);
  page = qe::KesraShowFormData(restore.response, restore.request, restore.server, restore.application, 2,
                               u"SQLServer", u"db.school$sa$pw");
  EXPECT_NE(page.find(u"<script>alert(\"数据恢复成功！\");top.location.reload(true);top.leftarea.location='../main/"
                      u"left.asp';top.listarea.location='../main/list.asp';</script>"),
            String::npos);
  EXPECT_EQ(driver_->statements,
            (std::vector<String>{u"backup database Qe to disk='C:\\site\\data_backup\\night\\Qe'", kSessions,
                                 u"Restore Database Qe From Disk='C:\\site\\data_backup\\night\\Qe'  with REPLACE"}));
}

TEST_F(SqlServerDataTest, TheShippedScriptMakesTheSchemaTablesOneBatchEach) {
  MainDatabaseOnSqlServer();
  ASSERT_TRUE(qe::ProvideSqlServerScript(u"C:\\site\\Comm\\Data_Sql.mdb"));
  EXPECT_FALSE(qe::ProvideSqlServerScript(u"C:\\site\\Comm\\Data_Sql.mdb"));
  ASSERT_TRUE(qe::KesraDataCreateInit(page_->response, page_->request, page_->server, page_->application, u"SQLServer",
                                      u"db.school$sa$pw", false));
  std::vector<String> sent = UpToSeeding();
  ASSERT_EQ(sent.size(), 3u + qe::MainSchemaStatements().size());
  EXPECT_EQ(sent[1], vb::Replace(kCreate, u"D:\\", u"C:\\"));
  const String& wazh = sent.back();
  EXPECT_TRUE(wazh.starts_with(u"Create Table [Wazh] (")) << vb::ToUtf8(wazh);
  for (const char16_t* column : {u"[ID] int IDENTITY(1,1) Primary Key,", u"[UserName] nvarchar(50),", u"[Right] int,",
                                 u"[IsDefault] smallint )\r\n"})
    EXPECT_NE(wazh.find(column), String::npos) << vb::ToUtf8(column) << " in " << vb::ToUtf8(wazh);
}

// No server listens on a closed loopback port: each branch gives its
// unreachable-server outcome through the real driver.
TEST_F(SqlServerDataTest, AnUnreachableServer) {
  ado::SetSqlServerDriver(nullptr);
  Script("A\r\n");
  EXPECT_FALSE(Backup(u"b$Qe.bak$Qe$127.0.0.1,1$sa$pw"));
  EXPECT_FALSE(page_->Ended());
  EXPECT_THROW(Restore(u"b$Qe.bak$Qe$127.0.0.1,1$sa$pw"), vb::Error);
  page_ = NewPage();
  EXPECT_FALSE(qe::KesraDataCreateInit(page_->response, page_->request, page_->server, page_->application, u"",
                                       u"127.0.0.1,1$sa$pw", false));
  EXPECT_TRUE(PageSays(u"数据库连接参数错误，不能打开！"));
}

}  // namespace
}  // namespace site_databases
