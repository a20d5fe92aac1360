// The main database that the start page makes on a site without one: made
// and seeded once, and never left behind half-seeded.
#include "host/site_main_database.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "shell/qe_application_data.h"
#include "shell/qe_config.h"
#include "shell/qe_main_database.h"
#include "shell/site_databases.h"

namespace site_databases {
namespace {

class SiteMainDatabaseTest : public SiteDatabaseTest {
 protected:
  // Prepares the main database for one new request; the request is kept for
  // its answer.
  bool Prepare() {
    page_ = NewPage();
    host::Page page{page_->request, page_->response, page_->server, page_->context.Session(), page_->application};
    Variant qe = NewQeCls();
    return host::PrepareMainDatabase(page, qe);
  }
  static int32_t Count(vb::StringView table) {
    return vb::CLng(Scalar(Open(ado_test::Jet(kMainFile)), u"Select Count(*) From [" + String(table) + u"]"));
  }
  bool MainFileExists() const { return std::filesystem::exists(site_.Host("site/Data/qe.asp")); }
  bool MarkerExists() const { return std::filesystem::exists(site_.Host("site/Data/qe.asp.seeding")); }

  std::unique_ptr<Page> page_;
};

TEST_F(SiteMainDatabaseTest, TheFirstRequestMakesAndSeedsItAndLaterOnesLeaveItAlone) {
  ASSERT_FALSE(MainFileExists());
  EXPECT_TRUE(Prepare());
  EXPECT_EQ(Count(u"User"), 1);
  EXPECT_EQ(Count(u"Class"), 13);
  EXPECT_EQ(Count(u"NClass"), 67);
  EXPECT_FALSE(MarkerExists());
  EXPECT_TRUE(Prepare());
  EXPECT_FALSE(page_->Ended());
  EXPECT_EQ(Count(u"User"), 1);
  EXPECT_EQ(Count(u"Class"), 13);
}

TEST_F(SiteMainDatabaseTest, ASeedingThatFailsTakesTheNewFileAwaySoTheNextRequestStartsOver) {
  // A SQL Server login that reaches no server: the seeding cannot connect.
  com::Let(NewPage()->application, u"", Variant(u"SQLServer"), String(qe::kPublicQeDataType));
  com::Let(NewPage()->application, u"", Variant(u"nowhere|sa|x"), String(qe::kPublicQeDataSQL));
  EXPECT_NE(ErrorOf([&] { Prepare(); }), 0);
  EXPECT_FALSE(MainFileExists());
  EXPECT_FALSE(MarkerExists());

  // The lock was given back with the error, or this would wait for ever.
  com::Let(NewPage()->application, u"", Variant(u""), String(qe::kPublicQeDataType));
  EXPECT_TRUE(Prepare());
  EXPECT_EQ(Count(u"User"), 1);
  EXPECT_EQ(Count(u"NClass"), 67);
}

TEST_F(SiteMainDatabaseTest, ASeedingThatEndsTheRequestTakesTheNewFileAway) {
  qe::QeConfig_GetConnString(NewPage()->server, NewPage()->request);
  com::Call(Open(ado_test::Jet(kConfigFile)), u"Execute", String(u"Delete From [Config] Where ConfigClass='DataType'"));
  EXPECT_FALSE(Prepare());
  EXPECT_TRUE(page_->Ended());
  EXPECT_NE(page_->Body().find(u"设置数据库类型参数"), String::npos);
  EXPECT_FALSE(MainFileExists());
}

TEST_F(SiteMainDatabaseTest, ASeedingAKilledServerLeftIsDoneAgain) {
  // What a server killed while it seeded leaves: the tables, no rows, the marker.
  ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(kMainFile));
  site_.WriteFile("site/Data/qe.asp.seeding", "");
  EXPECT_TRUE(Prepare());
  EXPECT_EQ(Count(u"User"), 1);
  EXPECT_EQ(Count(u"NClass"), 67);
  EXPECT_FALSE(MarkerExists());
}

TEST_F(SiteMainDatabaseTest, MountingASiteRemovesWhatAKilledServerLeftUnfinished) {
  site_.WriteFile("site/Data/QE.ASP", "half seeded");
  site_.WriteFile("site/Data/qe.asp.seeding", "");
  site_.WriteFile("site/Data/Config.htm.0123456789abcdef.new", "half made");
  site_.WriteFile("site/Data/Config.htm", "kept");
  site_.WriteFile("site/Data/notes.new", "kept");
  site_.WriteFile("site/Data/other.asp.0123456789ABCDEF.new", "kept: not a name of ours");
  // The engine's files beside a staged file go with it; a process that
  // still runs keeps what it stages (no process has a number past 2^22).
  site_.WriteFile("site/Data/Config.htm.0123456789abcdef.new-journal", "");
  site_.WriteFile("site/Data/qe.asp.4194305-0123456789abcdef.new", "");
  site_.WriteFile("site/Data/qe.asp.4194305-0123456789abcdef.new-wal", "");
  const std::string live = "qe.asp." + std::to_string(::getpid()) + "-0123456789abcdef.new";
  site_.WriteFile("site/Data/" + live, "being made");
  // Of a number now taken by a process that started after it was written.
  const auto taken = site_.WriteFile("site/Data/qe.asp." + std::to_string(::getpid()) + "-fedcba9876543210.new");
  std::filesystem::last_write_time(taken, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  host::RemoveUnfinishedDatabases(site_.Host("site/Data"));
  std::vector<std::string> kept = {"Config.htm", "notes.new", "other.asp.0123456789ABCDEF.new", live};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(DataFolder(), kept);
}

}  // namespace
}  // namespace site_databases
