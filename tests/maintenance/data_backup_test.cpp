// Backing up, restoring and clearing the Access data: the names the lists
// may hold, what a restore keeps and refuses, and what it leaves to pages
// that hold the database open.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "access_site.h"
#include "background_writer.h"
#include "maintenance/kesra_data.h"
#include "maintenance/live_files.h"
#include "support/killed_in_commit.h"

namespace access_test {
namespace {

namespace stdfs = std::filesystem;

constexpr char16_t kMain[] = u"C:\\site\\data\\qe.asp";
constexpr char16_t kFormat[] =
    u"请按如下格式输入[系统数据库文件路径$备份文件保存路径$备份文件列表（之间用|隔开）]！";

class DataBackupTest : public AccessSiteTest {
 protected:
  void SetUp() override {
    AccessSiteTest::SetUp();
    MakeDatabase(kMain, {u"Create Table [Note] ([ID] Counter Primary Key, [Body] Text(50))",
                         u"Insert Into [Note] ([Body]) Values('first')"});
  }
  bool Backup(StringView list, StringView type = u"Access") {
    NewRequest();
    return qe::KesraDataBackup(response_, request_, server_, String(type), String(list));
  }
  bool Restore(StringView list, StringView type = u"Access") {
    NewRequest();
    return qe::KesraDataRestore(response_, request_, server_, String(type), String(list));
  }
  bool Clear(StringView list) {
    NewRequest();
    return qe::KesraDataClear(response_, request_, server_, String(list));
  }
  bool PageSays(StringView message) const { return Ended() && Body().find(u"对不起，" + String(message)) != String::npos; }
  static String Note(StringView file) { return vb::CStr(Scalar(Open(Jet(file)), u"Select [Body] From [Note]")); }
  static void SetNote(StringView file, StringView body) {
    com::Call(Open(Jet(file)), u"Execute", u"Update [Note] Set [Body]='" + String(body) + u"'");
  }
  std::vector<stdfs::path> Entries(std::string_view folder) const {
    std::vector<stdfs::path> out;
    if (stdfs::is_directory(site_.Host(folder)))
      for (const auto& e : stdfs::directory_iterator(site_.Host(folder))) out.push_back(e.path());
    return out;
  }
};

TEST_F(DataBackupTest, EmptyFieldsBackUpTheMainFileUnderTheDateTime) {
  ASSERT_TRUE(Backup(u"$$"));
  auto folders = Entries("site/data_backup");
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_TRUE(std::regex_match(folders[0].filename().string(), std::regex("[0-9]{14}")));
  String saved = u"C:\\site\\data_backup\\" + vb::FromUtf8(folders[0].filename().string()) + u"\\qe.asp";
  EXPECT_EQ(Note(saved), u"first");
  EXPECT_FALSE(Ended());
}

TEST_F(DataBackupTest, ListAndFolderRefusals) {
  struct Case {
    const char16_t* type;
    const char16_t* list;
    const char16_t* message;
  } cases[] = {
      {u"Access", u"", u"参数错误，备份失败！"},
      {u"Access", u"  ", u"参数错误，备份失败！"},
      {u"Access", u"/data$x", u"参数错误，备份失败！"},
      {u"sql", u"a$b$c$d$e", u"参数错误，备份失败！"},
      {u"aCCess", u"/data$a$missing1|missing2", u"文件没有备份！【missing1】【missing2】"},
      {u"Access", u"/data$b$qe.asp|gone", u"文件没有备份！【gone】"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(Backup(c.list, c.type)) << vb::ToUtf8(c.list);
    EXPECT_TRUE(PageSays(c.message)) << vb::ToUtf8(c.list) << ": " << vb::ToUtf8(Body());
  }
  // What was copied before a failure stays.
  EXPECT_EQ(Note(u"C:\\site\\data_backup\\b\\qe.asp"), u"first");
  EXPECT_FALSE(Backup(u"/data$b$qe.asp"));
  EXPECT_TRUE(PageSays(u"备份目录已存在，备份失败！"));
}

// Names become pieces of paths: none may lead out of the data folder or the
// backup folder, and the data folder must be the site's.
TEST_F(DataBackupTest, NamesThatWouldLeaveTheirFolderAreRefused) {
  site_.WriteFile("site/secret.txt", "secret");
  const char16_t* lists[] = {
      u"/data$..$qe.asp",         u"/data$..\\..\\x$qe.asp",  u"/data$a/b$qe.asp",    u"/data$a:b$qe.asp",
      u"/data$a\tb$qe.asp",       u"/data$.$qe.asp",          u"/data$ . $qe.asp",    u"/data$x$..\\secret.txt",
      u"/data$x$..",              u"/data$x$C:\\site\\secret.txt", u"/data$x$a/../../secret.txt",
      u"C:\\$x$site\\secret.txt", u"/$x$secret.txt",          u"..\\..$x$qe.asp",     u"C:\\site\\..\\..$x$qe.asp",
  };
  for (const char16_t* list : lists) {
    EXPECT_FALSE(Backup(list)) << vb::ToUtf8(list);
    EXPECT_TRUE(PageSays(kFormat)) << vb::ToUtf8(list) << ": " << vb::ToUtf8(Body());
    EXPECT_FALSE(Restore(list)) << vb::ToUtf8(list);
    EXPECT_TRUE(PageSays(kFormat) || PageSays(u"备份目录不存在，恢复失败！")) << vb::ToUtf8(list);
  }
  EXPECT_TRUE(Entries("site/data_backup").empty());
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/secret.txt")), "secret");
  EXPECT_EQ(Note(kMain), u"first");
}

TEST_F(DataBackupTest, RestoreBringsBackTheRowsUnderAnOpenConnection) {
  ASSERT_TRUE(Backup(u"/data$saved$qe.asp"));
  Variant page = Open(Jet(kMain));
  SetNote(kMain, u"changed");
  EXPECT_EQ(vb::CStr(Scalar(page, u"Select [Body] From [Note]")), u"changed");

  ASSERT_TRUE(Restore(u"/data$saved$qe.asp")) << vb::ToUtf8(Body());
  EXPECT_EQ(vb::CStr(Scalar(page, u"Select [Body] From [Note]")), u"first");
  // The replaced file was kept first, and nothing of the restore is left beside the live file.
  auto safety = Entries("site/AutoBackup");
  ASSERT_EQ(safety.size(), 1u);
  EXPECT_TRUE(safety[0].filename().string().starts_with("【数据恢复自动备份】"));
  String kept = u"C:\\site\\AutoBackup\\" + vb::FromUtf8(safety[0].filename().string()) + u"\\qe.asp";
  EXPECT_EQ(Note(kept), u"changed");
  EXPECT_EQ(Entries("site/data").size(), 1u);
}

// A writer died in its commit beside the backup (a tool that wrote to it):
// the engine rolls the backup back first, and that is what is restored.
TEST_F(DataBackupTest, ABackupBesideWhichAWriterDiedIsRolledBackAndRestored) {
  ASSERT_TRUE(Backup(u"/data$saved$qe.asp"));
  SetNote(kMain, u"changed");
  const stdfs::path saved = site_.Host("site/data_backup/saved/qe.asp");
  ASSERT_EQ(qe_test::CommitsBeforeKilled(saved, [](int) { return "UPDATE Note SET Body = 'cut'"; }, 1), 0);
  ASSERT_TRUE(Restore(u"/data$saved$qe.asp")) << vb::ToUtf8(Body());
  EXPECT_EQ(Note(kMain), u"first");
  EXPECT_FALSE(stdfs::exists(saved.string() + "-journal"));
}

TEST_F(DataBackupTest, RestoreRefusals) {
  ASSERT_TRUE(Backup(u"/data$saved$qe.asp"));
  EXPECT_FALSE(Restore(u"/data$$qe.asp"));
  EXPECT_TRUE(PageSays(kFormat));
  EXPECT_FALSE(Restore(u"$saved$qe.asp"));
  EXPECT_TRUE(PageSays(kFormat));
  EXPECT_FALSE(Restore(u"/data$saved"));
  EXPECT_TRUE(PageSays(u"参数错误！"));
  EXPECT_FALSE(Restore(u"/data$nothing$qe.asp"));
  EXPECT_TRUE(PageSays(u"备份目录不存在，恢复失败！"));
  EXPECT_FALSE(Restore(u"/data$saved$qe.asp|other.mdb"));
  EXPECT_TRUE(PageSays(u"文件没有恢复！【other.mdb】"));
  EXPECT_EQ(Note(kMain), u"first");
}

// A file that is not a database, or a database of other tables, never takes
// the live file's place; the live file stays as it was.
TEST_F(DataBackupTest, OnlyADatabaseOfTheSameTablesIsRestored) {
  SetNote(kMain, u"live");
  site_.WriteFile("site/data_backup/text/qe.asp", "not a database at all");
  site_.WriteFile("site/data_backup/empty/qe.asp", "");
  site_.MakeFolder("site/data_backup/other");
  site_.MakeFolder("site/data_backup/more");
  MakeDatabase(u"C:\\site\\data_backup\\other\\qe.asp", {u"Create Table [Other] ([ID] Long)"});
  MakeDatabase(u"C:\\site\\data_backup\\more\\qe.asp",
               {u"Create Table [Note] ([ID] Counter Primary Key, [Body] Text(50))", u"Create Table [Extra] ([ID] Long)"});
  for (const char16_t* name : {u"text", u"empty", u"other", u"more"}) {
    EXPECT_FALSE(Restore(u"/data$" + String(name) + u"$qe.asp")) << vb::ToUtf8(name);
    EXPECT_TRUE(PageSays(u"文件没有恢复！【qe.asp】")) << vb::ToUtf8(name);
    EXPECT_EQ(Note(kMain), u"live") << vb::ToUtf8(name);
  }
}

// Another data folder is restored with a safety copy of its own files, and a
// file that is not there yet needs none.
TEST_F(DataBackupTest, SafetyCopyIsOfTheFolderRestored) {
  site_.MakeFolder("site/data/extra");
  MakeDatabase(u"C:\\site\\data\\extra\\x.mdb", {u"Create Table [Note] ([ID] Counter Primary Key, [Body] Text(50))",
                                                 u"Insert Into [Note] ([Body]) Values('extra')"});
  ASSERT_TRUE(Backup(u"/data/extra$x$x.mdb"));
  SetNote(u"C:\\site\\data\\extra\\x.mdb", u"later");
  ASSERT_TRUE(Restore(u"/data/extra$x$x.mdb"));
  EXPECT_EQ(Note(u"C:\\site\\data\\extra\\x.mdb"), u"extra");
  auto safety = Entries("site/AutoBackup");
  ASSERT_EQ(safety.size(), 1u);
  EXPECT_TRUE(stdfs::exists(safety[0] / "x.mdb"));
  EXPECT_FALSE(stdfs::exists(safety[0] / "qe.asp"));

  stdfs::remove(site_.Host("site/data/extra/x.mdb"));
  ASSERT_TRUE(Restore(u"/data/extra$x$x.mdb"));
  EXPECT_EQ(Note(u"C:\\site\\data\\extra\\x.mdb"), u"extra");
}

// A live file that is empty (an empty database, as the engine takes it) is
// kept and restored over as any other; one that appears once a run has begun
// (a page's first use) has no copy in the run's backup and stays.
TEST_F(DataBackupTest, AnEmptyLiveFileIsKeptAndOneMadeDuringTheRunStays) {
  ASSERT_TRUE(Backup(u"/data$saved$qe.asp"));
  site_.WriteFile("site/data/qe.asp", "");
  ASSERT_TRUE(Restore(u"/data$saved$qe.asp"));
  EXPECT_EQ(Note(kMain), u"first");
  const auto safety = Entries("site/AutoBackup");
  ASSERT_EQ(safety.size(), 1u);
  EXPECT_EQ(stdfs::file_size(safety[0] / "qe.asp"), 0u);

  qe::LiveFileReplacement files(server_, u"C:\\site\\data", {u"late.mdb"}, u"late");
  MakeDatabase(u"C:\\site\\data\\late.mdb", {u"Create Table [Note] ([ID] Counter Primary Key, [Body] Text(50))",
                                                u"Insert Into [Note] ([Body]) Values('made meanwhile')"});
  EXPECT_TRUE(files.Keep(0));
  EXPECT_TRUE(files.Publish());
  EXPECT_THROW(files.Replace(0, kMain), vb::Error);
  EXPECT_EQ(Note(u"C:\\site\\data\\late.mdb"), u"made meanwhile");
}

// A page keeps writing while the backup runs: the copy is one consistent
// database, and the writer is not refused.
TEST_F(DataBackupTest, BackupUnderAWriterIsWhole) {
  BackgroundWriter writer(kMain, u"Insert Into [Note] ([Body]) Values('more')");
  ASSERT_TRUE(Backup(u"/data$busy$qe.asp"));
  writer.Stop();
  EXPECT_EQ(writer.Failed(), 0);
  Variant copy = Open(Jet(u"C:\\site\\data_backup\\busy\\qe.asp"));
  EXPECT_GE(vb::CLng(Scalar(copy, u"Select Count(*) From [Note]")), 21);
}

TEST_F(DataBackupTest, ClearingDeletesOnlyFoldersOfTheSite) {
  site_.WriteFile("site/AutoBackup/x/a.txt", "a");
  site_.WriteFile("site/Temp/b.txt", "b");
  site_.WriteFile("outside/c.txt", "c");
  EXPECT_TRUE(Clear(u"AutoBackup|Temp"));
  EXPECT_FALSE(stdfs::exists(site_.Host("site/AutoBackup")));
  EXPECT_FALSE(stdfs::exists(site_.Host("site/Temp")));
  EXPECT_TRUE(Clear(u"AutoBackup|Temp|/missing"));  // missing folders count as cleared
  EXPECT_TRUE(Clear(u"|"));                          // empty entries are skipped

  EXPECT_FALSE(Clear(u"/|data|/Data/|C:\\site|C:\\site\\data|C:\\outside|..|C:\\|data\\..|/data/../.."));
  EXPECT_TRUE(PageSays(u"文件夹未清理！【/】【data】【/Data/】【C:\\site】【C:\\site\\data】【C:\\outside】【..】【C:\\】【"
                       u"data\\..】【/data/../..】"))
      << vb::ToUtf8(Body());
  EXPECT_EQ(Note(kMain), u"first");
  EXPECT_TRUE(stdfs::exists(site_.Host("outside/c.txt")));
}

TEST_F(DataBackupTest, CreationLeavesAnExistingMainFileAlone) {
  NewRequest();
  EXPECT_FALSE(qe::KesraDataCreateInit(response_, request_, server_, application_, u"ACCESS", u"qe.asp", false));
  EXPECT_FALSE(Ended());
  EXPECT_EQ(Note(kMain), u"first");
}

}  // namespace
}  // namespace access_test
