// Backups of the data files into folders named by the time.
#include <gtest/gtest.h>

#include <regex>

#include "common/kesra_file_backup.h"
#include "platform/asp/context.h"
#include "platform/fs/file.h"
#include "platform/vb/datetime.h"
#include "facade/qecls.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;
using namespace qe;
using vb::String;

class KesraFileBackupTest : public testing::Test {
 protected:
  void SetUp() override {
    site_.WriteFile("site/data/qe.asp", "main data");
    site_.WriteFile("site/data/other.mdb", "other");
  }
  String Backup(const String& list, uint8_t automatic, const String& name, const String& path) {
    return KesraFileBackup(response_, request_, server_, list, automatic, name, path);
  }
  // The backup folder's name after `prefix`, which must be a 14-digit stamp of now.
  void ExpectStampAfter(const String& folder, const String& prefix) {
    ASSERT_EQ(folder.rfind(prefix, 0), 0u) << vb::ToUtf8(folder);
    std::string stamp = vb::ToUtf8(folder.substr(prefix.size()));
    ASSERT_TRUE(std::regex_match(stamp, std::regex("[0-9]{14}"))) << stamp;
    EXPECT_EQ(std::stoi(stamp.substr(0, 4)), vb::Year(vb::Today()));
  }

  qe_test::TempSite site_;
  asp::Context context_{asp::RequestSpec{}};  // the page /qe/index.asp
  vb::Variant request_ = context_.Request(), response_ = context_.Response(), server_ = context_.Server();
};

TEST(KesraBackupTimeName, IsFourteenDigitsOfNow) {
  String name = KesraBackupTimeName();
  ASSERT_EQ(name.size(), 14u);
  vb::Date now = vb::Now();
  EXPECT_EQ(vb::ToUtf8(name.substr(0, 8)), std::to_string(vb::Year(now) * 10000 + vb::Month(now) * 100 + vb::Day(now)));
}

TEST_F(KesraFileBackupTest, DoesNothingUnlessAutomatic) {
  EXPECT_EQ(Backup(u"", 0, u"", u"AutoBackup"), u"");
  EXPECT_FALSE(stdfs::exists(site_.Host("site/qe/AutoBackup")));
}

TEST_F(KesraFileBackupTest, CopiesTheMainDataFileBesideThePageByDefault) {
  vb::Variant facade(std::make_shared<QeCls>());
  vb::Variant request = request_, response = response_, server = server_;
  String folder = vb::CStr(com::Call(facade, u"CommFileBackup", response, request, server, u""));
  ExpectStampAfter(folder, u"C:\\site\\qe\\AutoBackup\\");
  EXPECT_EQ(fs::ReadAllBytes(folder + u"\\qe.asp"), "main data");
}

TEST_F(KesraFileBackupTest, NamesTheFolderFromTheSiteRoot) {
  String folder = Backup(u"qe.asp|other.mdb", 1, u"ab", u"/AutoBackup");
  ExpectStampAfter(folder, u"C:\\site\\AutoBackup\\ab");
  EXPECT_EQ(fs::ReadAllBytes(folder + u"\\other.mdb"), "other");
  String real = Backup(u"", 1, u"x", u"C:\\backups\\");  // a real path, its "\\" made single
  ExpectStampAfter(real, u"C:\\backups\\x");
  ExpectStampAfter(Backup(u"", 1, u"", u""), u"C:\\site\\AutoBackup\\");  // an empty path is /AutoBackup
}

TEST_F(KesraFileBackupTest, StopsAtAMissingFileAndKeepsEarlierCopies) {
  EXPECT_EQ(Backup(u"qe.asp|missing.mdb|other.mdb", 1, u"part", u"/AutoBackup"), u"");
  std::vector<stdfs::path> made;
  for (const auto& entry : stdfs::directory_iterator(site_.Host("site/AutoBackup"))) {
    if (entry.path().filename().string().rfind("part", 0) == 0) made.push_back(entry.path());
  }
  ASSERT_EQ(made.size(), 1u);
  EXPECT_TRUE(stdfs::exists(made[0] / "qe.asp"));
  EXPECT_FALSE(stdfs::exists(made[0] / "other.mdb"));
}

}  // namespace
