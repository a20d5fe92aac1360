// Absolute paths and the directory search on a temporary drive.
#include <gtest/gtest.h>

#include "platform/fs/full_path.h"
#include "platform/fs/search.h"
#include "platform/vb/raises.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;
using vb::String;

TEST(FullPath, RootsRelativePathsOnTheCurrentFolder) {
  struct Case {
    const char16_t* path;
    const char16_t* full;
  } cases[] = {
      {u"C:\\site\\a.txt", u"C:\\site\\a.txt"},
      {u"C:/site//x/./y/../b.txt", u"C:\\site\\x\\b.txt"},
      {u"C:\\site\\data\\", u"C:\\site\\data\\"},
      {u"c:\\", u"c:\\"},
      {u"/A/B", u"C:\\A\\B"},
      {u"\\Data_UploadFiles\\a.jpg", u"C:\\Data_UploadFiles\\a.jpg"},
      {u"D:rel\\x", u"D:\\rel\\x"},
      {u"update\\update.bat", u"C:\\Windows\\System32\\update\\update.bat"},
      {u"..\\x", u"C:\\Windows\\x"},
  };
  for (const Case& c : cases) EXPECT_EQ(fs::FullPath(c.path), c.full) << vb::ToUtf8(c.path);
}

TEST(FullPath, RefusesWhatCannotBeAPath) {
  EXPECT_RAISES(vb::kBadFileNameOrNumber, fs::FullPath(u""));
  EXPECT_RAISES(vb::kPermissionDenied, fs::FullPath(u"C:\\a\\..\\.."));
  EXPECT_RAISES(vb::kPermissionDenied, fs::FullPath(u"/../etc/passwd"));
  EXPECT_RAISES(vb::kPathNotFound, fs::FullPath(u"\\\\server\\share\\a.txt"));
  EXPECT_RAISES(vb::kBadFileNameOrNumber, fs::FullPath(u"C:\\a\\...\\b"));
}

TEST(FullPath, FollowsTheCurrentFolderTheHostSets) {
  fs::SetCurrentFolder(u"D:\\web");
  EXPECT_EQ(fs::FullPath(u"a\\b"), u"D:\\web\\a\\b");
  EXPECT_EQ(fs::FullPath(u"\\a"), u"D:\\a");
  fs::SetCurrentFolder(fs::kSystemFolder);
  EXPECT_RAISES(vb::kInvalidProcedureCall, fs::SetCurrentFolder(u"web"));
}

class SearchTest : public testing::Test {
 protected:
  void SetUp() override {
    site_.WriteFile("site/data/qe.asp", "12345");
    site_.WriteFile("site/b.txt");
    site_.WriteFile("site/A.txt");
    site_.WriteFile("site/ab.TXT");
    site_.WriteFile("site/readme");
    site_.MakeFolder("site/Sub");
  }

  std::vector<String> Names(const char16_t* pattern) {
    std::vector<String> names;
    for (const auto& entry : fs::FindFiles(pattern)) names.push_back(entry.name);
    return names;
  }

  qe_test::TempSite site_;
};

TEST_F(SearchTest, FindsANameWithoutCaseAndReportsItAsStored) {
  auto entry = fs::FindEntry(u"C:\\SITE\\Data\\QE.ASP");
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->name, u"qe.asp");
  EXPECT_EQ(entry->attributes, fs::kAttributeArchive);
  EXPECT_EQ(entry->size, 5u);
  EXPECT_EQ(fs::FindEntry(u"/site/data")->attributes, fs::kAttributeDirectory);
  EXPECT_EQ(fs::FindEntry(u"C:\\site\\data\\")->name, u"data");
  EXPECT_FALSE(fs::FindEntry(u"C:\\site\\b.txt\\").has_value());  // a file is no folder
  EXPECT_FALSE(fs::FindEntry(u"C:\\site\\missing.txt").has_value());
  EXPECT_FALSE(fs::FindEntry(u"C:\\nothere\\missing.txt").has_value());
}

TEST_F(SearchTest, TakesWildcardsLiterallyInANamedEntry) {
  EXPECT_RAISES(vb::kBadFileNameOrNumber, fs::FindEntry(u"C:\\site\\*.txt"));
  EXPECT_RAISES(vb::kPermissionDenied, fs::FindEntry(u"C:\\..\\x"));
}

TEST_F(SearchTest, ListsMatchesInNameOrderWithTheDotEntriesFirst) {
  EXPECT_EQ(Names(u"C:\\site\\*.*"),
            (std::vector<String>{u".", u"..", u"A.txt", u"ab.TXT", u"b.txt", u"data", u"readme", u"Sub"}));
  EXPECT_EQ(Names(u"C:\\site\\"), Names(u"C:\\site\\*"));
  EXPECT_EQ(Names(u"c:\\SITE\\*.txt"), (std::vector<String>{u"A.txt", u"ab.TXT", u"b.txt"}));
  EXPECT_EQ(Names(u"C:\\site\\?.txt"), (std::vector<String>{u"A.txt", u"b.txt"}));
  EXPECT_EQ(Names(u"C:\\site\\readme.*"), (std::vector<String>{u"readme"}));
  EXPECT_EQ(Names(u"C:\\site\\b.txt"), (std::vector<String>{u"b.txt"}));
  EXPECT_TRUE(Names(u"C:\\missing\\*.*").empty());
  EXPECT_EQ(Names(u"C:\\*"), (std::vector<String>{u"site"}));  // a root has no dot entries
}

TEST_F(SearchTest, HidesLinksThatLeaveTheDriveAndNamesWindowsCannotHold) {
  qe_test::TempSite outside;  // maps C: again: restore ours afterwards
  outside.WriteFile("secret.txt");
  fs::MapDrive(u'C', site_.Drive());
  stdfs::create_symlink(outside.Host("secret.txt"), site_.Host("site/Sub/out.txt"));
  stdfs::create_symlink("../b.txt", site_.Host("site/Sub/in.txt"));
  site_.WriteFile("site/Sub/a:b");
  EXPECT_EQ(Names(u"C:\\site\\Sub\\*.*"), (std::vector<String>{u".", u"..", u"in.txt"}));
}

TEST_F(SearchTest, ReportsEntriesTheOwnerCannotWriteAsReadOnly) {
  stdfs::permissions(site_.Host("site/b.txt"), stdfs::perms::owner_write, stdfs::perm_options::remove);
  EXPECT_EQ(fs::FindEntry(u"C:\\site\\b.txt")->attributes, fs::kAttributeArchive | fs::kAttributeReadOnly);
}

TEST(AttributeMask, FindsWhatVbsDirFinds) {
  using namespace fs;
  struct Case {
    uint32_t attributes, mask;
    bool found;
  } cases[] = {
      {kAttributeArchive, 0, true},
      {kAttributeArchive | kAttributeReadOnly, 0, true},
      {kAttributeDirectory, 0, false},
      {kAttributeDirectory, kAttributeDirectory, true},
      {kAttributeArchive, kAttributeDirectory, true},
      {kAttributeHidden, 0, false},
      {kAttributeHidden | kAttributeDirectory, kAttributeDirectory, false},
      {kAttributeSystem, kAttributeSystem, true},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesAttributeMask(c.attributes, c.mask), c.found) << c.attributes << " " << c.mask;
}

TEST(Wildcard, MatchesAsThePlatformDoes) {
  struct Case {
    const char16_t *pattern, *name;
    bool matches;
  } cases[] = {
      {u"*", u"a.txt", true},         {u"*.*", u"readme", true},     {u"*.txt", u"A.TXT", true},
      {u"*.txt", u"a.txt.bak", false}, {u"a?c", u"abc", true},        {u"a?c", u"ac", false},
      {u"x.*", u"x", true},           {u"x.*", u"x.doc", true},      {u"*b*", u"abc", true},
      {u"*b", u"abc", false},         {u"数*", u"数据", true},        {u"ä*", u"Ärger", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fs::MatchesWildcard(c.pattern, c.name), c.matches) << vb::ToUtf8(c.pattern) << " " << vb::ToUtf8(c.name);
  }
}

}  // namespace
