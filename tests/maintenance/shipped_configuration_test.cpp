// The structure configuration every site carries, made from the schema: it
// rebuilds what the schema makes, follows the schema when it changes, and
// keeps what was captured into it while a writer holds it.
#include "maintenance/shipped_configuration.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <regex>

#include "access_site.h"
#include "maintenance/private_files.h"
#include "platform/ado/database_properties.h"
#include "platform/fs/paths.h"
#include "platform/sys/shell_execute.h"
#include "platform/sys/stop_points.h"
#include "shell/qe_main_database.h"
#include "support/stopped_child.h"

namespace access_test {
namespace {

namespace stdfs = std::filesystem;
using namespace std::chrono_literals;

constexpr char16_t kShipped[] = u"C:\\site\\Comm\\Data_Mdb.mdb";
constexpr char16_t kMain[] = u"C:\\site\\data\\qe.asp";
// The mount's wait for a writer, short for the tests.
constexpr auto kMountWait = 200ms;

class ShippedConfigurationTest : public AccessSiteTest {
 protected:
  static String Stamp() { return ado::DatabaseProperty(fs::ToHostPath(kShipped), u"QeShippedSchema"); }
  stdfs::path ShippedHost() const { return site_.Host("site/Comm/Data_Mdb.mdb"); }

  // The site's main database with a table of the school's own, captured
  // into the configuration (what the capture form does by default).
  void CaptureSchoolTable(StringView table) {
    com::Call(Open(Jet(kMain)), u"Execute",
              u"Create Table [" + String(table) + u"] ([ID] Counter Primary Key, [Note] Text(50))");
    com::Call(Open(Jet(kMain)), u"Execute", u"Insert Into [" + String(table) + u"] ([Note]) Values('kept')");
    ASSERT_TRUE(Capture(u"", u"", u"mdb"));
  }
  static String CapturedTables() {
    Variant rs = Query(Open(Jet(kShipped)), u"Select TableName From TableList Order By TableName");
    return vb::CStr(com::Call(rs, u"GetString", int32_t{2}, int32_t{-1}, String(u""), String(u","), String(u"")));
  }
  std::vector<stdfs::path> BackupFolders() const {
    std::vector<stdfs::path> out;
    for (const auto& e : stdfs::directory_iterator(site_.Host("site/AutoBackup"))) out.push_back(e.path());
    return out;
  }
  bool RepairLevelTwo() {
    return access_->KesraAccessRepair(response_, request_, server_, application_, u"/data", u"qe.asp",
                                      u"../Comm/Data_Mdb.mdb", 2, false, u"");
  }
};

TEST_F(ShippedConfigurationTest, RebuildsTheDatabaseTheSchemaMakes) {
  std::filesystem::remove_all(site_.Host("site/Comm"));
  EXPECT_TRUE(qe::ProvideShippedConfiguration(kShipped));
  EXPECT_EQ(Stamp(), qe::ShippedConfigurationStamp());
  ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(u"C:\\site\\schema.mdb"));
  // As the repair uses it: the default configuration, into the data folder.
  ASSERT_TRUE(Rebuild(u"", u"", u"mdb"));
  EXPECT_EQ(Structure(u"C:\\site\\data\\qe.asp"), Structure(u"C:\\site\\schema.mdb"));
  EXPECT_NE(Structure(u"C:\\site\\data\\qe.asp").find(u"table User\n"), String::npos);
  EXPECT_FALSE(qe::ProvideShippedConfiguration(kShipped));
}

TEST_F(ShippedConfigurationTest, AnOlderOneIsReplacedAndACaptureForThisSchemaIsKept) {
  ASSERT_TRUE(qe::ProvideShippedConfiguration(kShipped));
  // A capture of another structure into it stays while the schema does.
  MakeDatabase(u"C:\\site\\data\\qe.asp", {u"Create Table [Extra] ([x] Long)"});
  ASSERT_TRUE(Capture(u"", u"", u"mdb"));
  EXPECT_FALSE(qe::ProvideShippedConfiguration(kShipped));
  Variant reader = Open(Jet(kShipped));
  EXPECT_EQ(vb::CStr(Scalar(reader, u"Select TableName From TableList")), u"Extra");
  // Made for another schema: made again, in place, under an open connection.
  ado::SetDatabaseProperty(fs::ToHostPath(kShipped), u"QeShippedSchema", u"an older schema");
  EXPECT_TRUE(qe::ProvideShippedConfiguration(kShipped));
  EXPECT_EQ(Stamp(), qe::ShippedConfigurationStamp());
  EXPECT_EQ(vb::CLng(Scalar(reader, u"Select Count(*) From TableList Where TableName='User'")), 1);
  EXPECT_EQ(vb::CLng(Scalar(reader, u"Select Count(*) From TableList Where TableName='Extra'")), 0);
  // A file of that name that is no database at all is made again too.
  reader = Variant();
  site_.WriteFile("site/Comm/Data_Mdb.mdb", "not a database");
  EXPECT_TRUE(qe::ProvideShippedConfiguration(kShipped));
  EXPECT_EQ(Stamp(), qe::ShippedConfigurationStamp());
}

// A mount that cannot read the configuration within its wait (another
// process holds its write lock past it) leaves it as it is, with the capture
// in it, for a level-2 repair to rebuild the school's table from; one it can
// read is left byte for byte.
TEST_F(ShippedConfigurationTest, OneAWriterHoldsIsLeftWithItsCapture) {
  ASSERT_TRUE(qe::ProvideShippedConfiguration(kShipped));
  ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(kMain));
  CaptureSchoolTable(u"Custom_Notes");
  const std::string captured = qe_test::FileContent(ShippedHost());
  for (bool held : {false, true}) {
    SCOPED_TRACE(held ? "held by another process" : "free");
    std::optional<qe_test::StoppedAtStep> writer;
    if (held) {
      writer.emplace("held", [&] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(ShippedHost().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        if (sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK) sys::StopPoint("held");
      });
      ASSERT_TRUE(writer->Stopped());
    }
    EXPECT_FALSE(qe::ProvideShippedConfiguration(kShipped, kMountWait));
    writer.reset();
    EXPECT_TRUE(qe_test::FileContent(ShippedHost()) == captured);
  }
  ASSERT_TRUE(RepairLevelTwo()) << vb::ToUtf8(Body());
  EXPECT_EQ(Count(kMain, u"Custom_Notes"), 1);
}

// A capture stopped in its commit while the site is mounted (its journal
// written, the file locked) goes on afterwards into the same file: the
// configuration holds what both captures wrote.
TEST_F(ShippedConfigurationTest, ACaptureInItsCommitDuringAMountLands) {
  ASSERT_TRUE(qe::ProvideShippedConfiguration(kShipped));
  ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(kMain));
  CaptureSchoolTable(u"Custom_Notes");
  com::Call(Open(Jet(kMain)), u"Execute", String(u"Create Table [Custom_Plans] ([ID] Long)"));
  qe_test::StoppedAtStep capture("committing", [&] { ::_exit(Capture(u"", u"", u"mdb") ? 0 : 1); });
  ASSERT_TRUE(capture.Stopped());
  ASSERT_TRUE(stdfs::exists(ShippedHost().string() + "-journal"));
  // The mount's steps: what killed runs left (it waits for the writer and
  // leaves its journal), then the configuration.
  qe::RemoveAbandonedScratch(site_.Host("site/Comm"));
  EXPECT_FALSE(qe::ProvideShippedConfiguration(kShipped, kMountWait));
  ASSERT_TRUE(capture.Resume());
  EXPECT_NE(CapturedTables().find(u",Custom_Notes,Custom_Plans,"), String::npos) << vb::ToUtf8(CapturedTables());
  EXPECT_EQ(Stamp(), qe::ShippedConfigurationStamp());
}

// One made for an older schema is kept whole, with the school's table
// captured into it, in a backup folder named for that and the time, before
// the one made for this schema takes its place; the system log says where.
TEST_F(ShippedConfigurationTest, AnOlderOneIsKeptWithItsCaptureBeforeANewOneTakesItsPlace) {
  ASSERT_TRUE(qe::ProvideShippedConfiguration(kShipped));
  ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(kMain));
  CaptureSchoolTable(u"Custom_Notes");
  ado::SetDatabaseProperty(fs::ToHostPath(kShipped), u"QeShippedSchema", u"an older schema");
  stdfs::create_directories(site_.Host("site/AutoBackup"));
  const std::vector<stdfs::path> before = BackupFolders();
  sys::ClearShellRecord();
  EXPECT_TRUE(qe::ProvideShippedConfiguration(kShipped, kMountWait));
  EXPECT_EQ(Stamp(), qe::ShippedConfigurationStamp());
  EXPECT_EQ(CapturedTables().find(u"Custom_Notes"), String::npos);
  std::vector<stdfs::path> kept;
  for (const stdfs::path& folder : BackupFolders())
    if (std::find(before.begin(), before.end(), folder) == before.end()) kept.push_back(folder);
  ASSERT_EQ(kept.size(), 1u);
  const std::string name = kept[0].filename().string();
  EXPECT_TRUE(std::regex_match(name, std::regex("【旧版结构配置】[0-9]{14}"))) << name;
  const String copy = u"C:\\site\\AutoBackup\\" + vb::FromUtf8(name) + u"\\Data_Mdb.mdb";
  EXPECT_EQ(vb::CLng(Scalar(Open(Jet(copy)), u"Select Count(*) From TableList Where TableName='Custom_Notes'")), 1);
  const std::vector<String> logged = sys::LoggedEvents();
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(logged[0].find(vb::FromUtf8(name)), String::npos) << vb::ToUtf8(logged[0]);
}

// A file whose own bytes say it is no database is kept byte for byte in a
// backup folder named for that and the time, the system log says where, and
// a working configuration takes its place; the next mount keeps that one.
TEST_F(ShippedConfigurationTest, ADamagedOneIsKeptBeforeANewOneTakesItsPlace) {
  const std::string damaged[] = {
      std::string(3000, 'x') + std::string(10, '\0') + "tail",
      // The engine's 16 bytes, then a page size it does not know.
      std::string("SQLite format 3\0", 16) + "\x03\x01" + std::string(1000, '\x7f'),
      "short",
  };
  for (const std::string& bytes : damaged) {
    SCOPED_TRACE(bytes.substr(0, 20));
    stdfs::remove_all(site_.Host("site/AutoBackup"));
    sys::ClearShellRecord();
    site_.WriteFile("site/Comm/Data_Mdb.mdb", bytes);
    EXPECT_TRUE(qe::ProvideShippedConfiguration(kShipped, kMountWait));
    EXPECT_EQ(Stamp(), qe::ShippedConfigurationStamp());
    const std::vector<stdfs::path> kept = BackupFolders();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(std::regex_match(kept[0].filename().string(), std::regex("【损坏的结构配置】[0-9]{14}")))
        << kept[0].filename();
    EXPECT_EQ(qe_test::FileContent(kept[0] / "Data_Mdb.mdb"), bytes);
    const std::vector<String> logged = sys::LoggedEvents();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find(vb::FromUtf8(kept[0].filename().string())), String::npos) << vb::ToUtf8(logged[0]);
    EXPECT_FALSE(qe::ProvideShippedConfiguration(kShipped, kMountWait));
    EXPECT_EQ(BackupFolders(), kept);
  }
}

}  // namespace
}  // namespace access_test
