// The three-level repair: what each level does to the site's files, its
// messages, what a failure before the new files are in place leaves (the
// live files as they were), and a page writing meanwhile.
#include <gtest/gtest.h>

#include <regex>

#include "background_writer.h"
#include "data_tables.h"
#include "maintenance/main_schema_supply.h"
#include "maintenance/shipped_configuration.h"
#include "platform/ado/database_properties.h"
#include "shell/qe_data_init.h"
#include "shell/qe_main_database.h"
#include "facade/qecls.h"

namespace access_test {
namespace {

namespace stdfs = std::filesystem;

constexpr char16_t kMain[] = u"C:\\site\\data\\qe.asp";

class RepairTest : public DataTest {
 protected:
  // The site as it runs: the shipped configuration, and a seeded main
  // database with rows of its own.
  void SeedSite() {
    ASSERT_TRUE(qe::ProvideShippedConfiguration(u"C:\\site\\Comm\\Data_Mdb.mdb"));
    ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(kMain));
    qe::QeDataInit(response_, request_, server_, application_);
    ASSERT_FALSE(Ended());
  }
  bool Repair(StringView path, StringView names, StringView config, uint8_t level) {
    return access_->KesraAccessRepair(response_, request_, server_, application_, String(path), String(names),
                                      String(config), level, false, u"");
  }
  bool PageSays(StringView message) const { return Ended() && Body().find(u"对不起，" + String(message)) != String::npos; }
  std::vector<stdfs::path> BackupFolders() const {
    std::vector<stdfs::path> out;
    if (stdfs::is_directory(site_.Host("site/AutoBackup")))
      for (const auto& e : stdfs::directory_iterator(site_.Host("site/AutoBackup"))) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
  }
  bool NoRebuildLeft() const {
    if (!stdfs::exists(site_.Host("site/temp"))) return true;
    for (const auto& e : stdfs::directory_iterator(site_.Host("site/temp")))
      if (e.path().filename().string().starts_with("rebuild-")) return false;
    return true;
  }
  // Every user table of a database with its rows.
  static std::vector<std::pair<String, Rows>> Content(StringView file) {
    Variant catalog = Create(u"ADOX.Catalog");
    com::Let(catalog, u"ActiveConnection", Jet(file));
    std::vector<std::pair<String, Rows>> out;
    Variant tables = com::Call(catalog, u"Tables");
    std::vector<String> names;
    for (int32_t i = 0; i < Long(tables, u"Count"); ++i) {
      Variant t = com::Call(tables, u"Item", i);
      if (vb::CStr(Prop(t, u"Type")) == u"TABLE") names.push_back(vb::CStr(Prop(t, u"Name")));
    }
    catalog = Variant();
    for (const String& name : names) out.emplace_back(name, ReadRows(file, name, u"1"));
    return out;
  }
  // A configuration captured from a database named `name` made by the statements.
  void ConfigFrom(StringView config, StringView name, std::initializer_list<StringView> statements) {
    site_.MakeFolder("site/shape");
    String shape = u"C:\\site\\shape\\" + String(name);
    com::Call(MakeDatabase(shape, statements), u"Close");
    qe::CreateConfigurationDatabase(String(config));
    ASSERT_TRUE(Capture(config, shape, u"mdb"));
  }
};

TEST_F(RepairTest, ALevelItDoesNotKnowIsRefusedBeforeAnythingIsTouched) {
  SeedSite();
  const std::string before = Dump("site/data/qe.asp");
  for (uint8_t level : {0, 4, 255}) {
    NewRequest();
    EXPECT_FALSE(Repair(u"", u"", u"", level));
    EXPECT_TRUE(PageSays(u"请先选择维护级别！"));
  }
  EXPECT_TRUE(BackupFolders().empty());
  EXPECT_EQ(Dump("site/data/qe.asp"), before);
}

TEST_F(RepairTest, LevelTwoRebuildsTheSeededSiteAndKeepsEveryRow) {
  SeedSite();
  com::Call(Open(Jet(kMain)), u"Execute", String(u"Insert Into Part (Part) Values ('O''Brien 007')"));
  // The form sample page's table is the site's own too.
  com::Call(Open(Jet(kMain)), u"Execute", String(u"Insert Into [FormSample] ([Title]) Values ('kept')"));
  const auto before = Content(kMain);
  EXPECT_TRUE(Repair(u"", u"", u"", 2));
  EXPECT_FALSE(Ended()) << vb::ToUtf8(Body());
  // Stamped for the schema: the next mount has nothing to write.
  EXPECT_EQ(ado::DatabaseProperty(site_.Host("site/data/qe.asp"), u"QeMainSchema"), qe::MainSchemaStamp());
  const auto after = Content(kMain);
  ASSERT_EQ(before.size(), after.size());
  for (size_t i = 0; i < before.size(); ++i) {
    SCOPED_TRACE(vb::ToUtf8(before[i].first));
    EXPECT_EQ(before[i].first, after[i].first);
    EXPECT_TRUE(SameRows(before[i].second, after[i].second));
  }
  // Its own backup, then the final compaction's.
  auto backups = BackupFolders();
  ASSERT_EQ(backups.size(), 2u);
  EXPECT_TRUE(std::regex_match(backups[1].filename().string(), std::regex("【数据库维护自动备份】[0-9]{14}")))
      << backups[1];
  EXPECT_TRUE(stdfs::exists(backups[1] / "qe.asp"));
  EXPECT_TRUE(NoRebuildLeft());
}

TEST_F(RepairTest, TheBackupHoldsTheFilesOfTheDataPathRepaired) {
  site_.MakeFolder("site/other");
  ConfigFrom(u"C:\\site\\Comm\\t.mdb", u"x.mdb", {u"Create Table T (ID Counter Primary Key, n Long)"});
  com::Call(MakeDatabase(u"C:\\site\\other\\x.mdb", {u"Create Table T (ID Counter Primary Key, n Long)",
                                                     u"Insert Into T (n) Values (5)"}),
            u"Close");
  EXPECT_TRUE(Repair(u"/other", u"x.mdb", u"/Comm/t.mdb", 2));
  EXPECT_EQ(Count(u"C:\\site\\other\\x.mdb", u"T"), 1);
  auto backups = BackupFolders();
  ASSERT_FALSE(backups.empty());
  EXPECT_TRUE(stdfs::exists(backups.back() / "x.mdb"));
  EXPECT_FALSE(stdfs::exists(backups.back() / "qe.asp"));
}

// Each step that can fail before the new files are in place: the live
// file's content stays as it was.
TEST_F(RepairTest, AFailureBeforeTheSwapLeavesTheLiveFileAsItWas) {
  SeedSite();
  ConfigFrom(u"C:\\site\\Comm\\narrow.mdb", u"qe.asp", {u"Create Table Part (ID Counter Primary Key)"});
  const std::string before = Dump("site/data/qe.asp");
  struct Case {
    const char16_t* config;
    uint8_t level;
    bool block_backup;
    const char16_t* message;
  };
  const std::vector<Case> cases = {
      {u"", 2, true, u" 数据备份出错，不能进行数据库二级维护！"},
      {u"", 3, true, u" 数据备份出错，不能进行数据库三级维护！"},
      {u"/Comm/none.mdb", 2, false, u" 根据根据原数据库结构生成新的空白的数据库出错，维护失败！"},
      {u"/Comm/none.mdb", 3, false, u" 根据根据原数据库结构生成新的空白的数据库出错，维护失败！"},
      {u"/Comm/narrow.mdb", 2, false, u" 向新生成数据库导入原数据出错，维护失败！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(vb::ToUtf8(c.message));
    NewRequest();
    stdfs::remove_all(site_.Host("site/AutoBackup"));
    if (c.block_backup) site_.WriteFile("site/AutoBackup", "a file where the folder goes");
    EXPECT_FALSE(Repair(u"", u"", c.config, c.level));
    EXPECT_TRUE(PageSays(c.message)) << vb::ToUtf8(Body());
    EXPECT_EQ(Dump("site/data/qe.asp"), before);
    EXPECT_TRUE(NoRebuildLeft());
    stdfs::remove_all(site_.Host("site/AutoBackup"));
  }
}

TEST_F(RepairTest, LevelTwoNeedsEveryListedFileLevelThreeOnlyThoseThatExist) {
  SeedSite();
  EXPECT_FALSE(Repair(u"", u"qe.asp|gone.mdb", u"", 2));
  EXPECT_TRUE(PageSays(u" 数据备份出错，不能进行数据库二级维护！"));
  // A fresh site: nothing to back up, even where no backup can be made.
  NewRequest();
  stdfs::remove(site_.Host("site/data/qe.asp"));
  site_.WriteFile("site/AutoBackup", "a file where the folder goes");
  EXPECT_TRUE(Repair(u"", u"", u"", 3));
  EXPECT_FALSE(Ended()) << vb::ToUtf8(Body());
  EXPECT_EQ(vb::CStr(Scalar(Open(Jet(kMain)), u"Select UserName From [User]")), u"tolva");
}

TEST_F(RepairTest, LevelThreeReplacesTheDataWithAFreshSeededDatabase) {
  SeedSite();
  com::Call(Open(Jet(kMain)), u"Execute", String(u"Insert Into Part (Part) Values ('gone after level 3')"));
  EXPECT_TRUE(Repair(u"", u"", u"", 3));
  EXPECT_FALSE(Ended()) << vb::ToUtf8(Body());
  EXPECT_EQ(Count(kMain, u"Part"), 1);
  EXPECT_EQ(Count(kMain, u"User"), 1);
  // The old data survives in the repair's backup only.
  auto backups = BackupFolders();
  ASSERT_FALSE(backups.empty());
  bool kept = false;
  for (const auto& folder : backups)
    if (stdfs::exists(folder / "qe.asp") &&
        Count(u"C:\\site\\AutoBackup\\" + vb::FromUtf8(folder.filename().string()) + u"\\qe.asp", u"Part") == 2)
      kept = true;
  EXPECT_TRUE(kept);
}

TEST_F(RepairTest, LevelOneCompactsAfterABackupOfItsOwn) {
  SeedSite();
  const auto before = Content(kMain);
  EXPECT_TRUE(Repair(u"", u"", u"", 1));
  EXPECT_EQ(BackupFolders().size(), 2u);
  EXPECT_EQ(Content(kMain), before);
  // As the compaction with its messages off: a missing file fails it quietly.
  NewRequest();
  EXPECT_FALSE(Repair(u"", u"gone.mdb", u"", 1));
  EXPECT_FALSE(Ended());
}

TEST_F(RepairTest, APageWritingDuringALevelTwoRepairLosesNothing) {
  ConfigFrom(u"C:\\site\\Comm\\t.mdb", u"qe.asp", {u"Create Table T (ID Counter Primary Key, body Text(20))"});
  com::Call(MakeDatabase(kMain, {u"Create Table T (ID Counter Primary Key, body Text(20))",
                                 u"Insert Into T (body) Values ('before')"}),
            u"Close");
  BackgroundWriter writer(kMain, u"Insert Into T (body) Values ('during')");
  bool repaired = Repair(u"", u"", u"/Comm/t.mdb", 2);
  writer.Stop();
  EXPECT_TRUE(repaired) << vb::ToUtf8(Body());
  EXPECT_EQ(writer.Failed(), 0);
  EXPECT_EQ(Count(kMain, u"T"), 1 + writer.Committed());
}

TEST_F(RepairTest, TheFacadeForwardsWithItsDefaults) {
  SeedSite();
  Variant facade(std::make_shared<qe::QeCls>());
  EXPECT_TRUE(vb::CBool(com::Call(facade, u"CommAccessRepair", response_, request_, server_, application_, String(u""),
                                  String(u""), String(u""), uint8_t{2})));
  EXPECT_EQ(Count(kMain, u"User"), 1);
}

}  // namespace
}  // namespace access_test
