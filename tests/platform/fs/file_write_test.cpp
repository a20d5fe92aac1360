#include "platform/fs/file_write.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/asp/asp_test_support.h"
#include "platform/vb/error.h"
#include "support/file_content.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;

std::vector<std::string> Names(const stdfs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : stdfs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(WriteNewFile, TakesOnlyANameNoOneHas) {
  qe_test::TempSite site;
  site.MakeFolder("up");
  fs::CreateNewFile(u"C:\\up\\a.txt", "first");
  EXPECT_EQ(qe_test::FileContent(site.Host("up/a.txt")), "first");
  EXPECT_EQ(asp::testing::ErrorNumberOf([] { fs::CreateNewFile(u"C:\\up\\a.txt", "second"); }), vb::kFileAlreadyExists);
  // Names are one name in any case, as on Windows.
  EXPECT_EQ(asp::testing::ErrorNumberOf([] { fs::CreateNewFile(u"C:\\UP\\A.TXT", "third"); }), vb::kFileAlreadyExists);
  EXPECT_EQ(qe_test::FileContent(site.Host("up/a.txt")), "first");
  EXPECT_EQ(asp::testing::ErrorNumberOf([] { fs::CreateNewFile(u"C:\\missing\\a.txt", "x"); }), vb::kPathNotFound);
  EXPECT_EQ(asp::testing::ErrorNumberOf([] { fs::CreateNewFile(u"C:\\up\\a|b.txt", "x"); }), vb::kBadFileNameOrNumber);
  fs::CreateNewFile(u"C:\\up\\empty.bin", "");
  EXPECT_EQ(Names(site.Host("up")), (std::vector<std::string>{"a.txt", "empty.bin"}));
}

TEST(WriteNewFile, OneOfManyConcurrentWritersWins) {
  qe_test::TempSite site;
  site.MakeFolder("up");
  std::atomic<int> won{0}, refused{0};
  std::vector<std::thread> writers;
  for (int i = 0; i < 8; ++i) {
    writers.emplace_back([&, i] {
      try {
        fs::CreateNewFile(u"C:\\up\\same.jpg", std::string(4096, static_cast<char>('a' + i)));
        ++won;
      } catch (const vb::Error& e) {
        if (e.Number() == vb::kFileAlreadyExists) ++refused;
      }
    });
  }
  for (auto& t : writers) t.join();
  EXPECT_EQ(won.load(), 1);
  EXPECT_EQ(refused.load(), 7);
  std::string content = qe_test::FileContent(site.Host("up/same.jpg"));
  EXPECT_EQ(content, std::string(4096, content[0]));  // one writer's bytes, whole
}

TEST(ReplaceFile, WritesWholeFilesAndLeavesNothingAside) {
  qe_test::TempSite site;
  site.WriteFile("up/Report.doc", "old content");
  fs::ReplaceFile(u"C:\\up\\report.DOC", "new");
  EXPECT_EQ(qe_test::FileContent(site.Host("up/Report.doc")), "new");
  fs::ReplaceFile(u"C:\\up\\fresh.doc", "fresh");
  EXPECT_EQ(Names(site.Host("up")), (std::vector<std::string>{"Report.doc", "fresh.doc"}));

  site.MakeFolder("up/folder.doc");
  EXPECT_EQ(asp::testing::ErrorNumberOf([] { fs::ReplaceFile(u"C:\\up\\folder.doc", "x"); }), vb::kPermissionDenied);
  EXPECT_EQ(asp::testing::ErrorNumberOf([] { fs::ReplaceFile(u"C:\\nowhere\\a.doc", "x"); }), vb::kPathNotFound);
  EXPECT_EQ(Names(site.Host("up")), (std::vector<std::string>{"Report.doc", "folder.doc", "fresh.doc"}));
}

TEST(ExistingFilesAndFolders, TellTheKindsApart) {
  qe_test::TempSite site;
  site.WriteFile("site/a.txt", "x");
  EXPECT_TRUE(fs::IsExistingFile(u"C:\\SITE\\A.txt"));
  EXPECT_FALSE(fs::IsExistingFolder(u"C:\\site\\a.txt"));
  EXPECT_TRUE(fs::IsExistingFolder(u"C:\\site\\"));
  EXPECT_FALSE(fs::IsExistingFile(u"C:\\site"));
  EXPECT_FALSE(fs::IsExistingFile(u"C:\\site\\b.txt"));
  EXPECT_FALSE(fs::IsExistingFile(u"C:\\site\\a|.txt"));  // refused, so nothing
  EXPECT_FALSE(fs::IsExistingFolder(u"site"));            // not a real path
  EXPECT_FALSE(fs::IsExistingFolder(u"C:\\..\\.."));
}

// Whether this call made the folder is what the upload room counts a block
// by: a folder that stood already, or a parent of one made, is no new block.
TEST(CreateFolderWithParents, MakesTheMissingFoldersAndSaysWhenItMadeOne) {
  qe_test::TempSite site;
  EXPECT_TRUE(fs::CreateFolderWithParents(u"C:\\Data_UploadFiles\\up\\2024"));
  EXPECT_TRUE(stdfs::is_directory(site.Host("Data_UploadFiles/up/2024")));
  for (const char16_t* existing : {u"C:\\Data_UploadFiles\\up\\2024", u"C:\\data_uploadfiles\\UP\\2024\\",
                                   u"C:\\Data_UploadFiles\\up", u"C:\\Data_UploadFiles", u"C:\\site"})
    EXPECT_FALSE(fs::CreateFolderWithParents(existing)) << vb::ToUtf8(existing);
  EXPECT_TRUE(fs::CreateFolderWithParents(u"C:\\data_uploadfiles\\UP\\2025\\"));  // existing names in any case
  EXPECT_EQ(Names(site.Host("")), (std::vector<std::string>{"Data_UploadFiles", "site"}));
  EXPECT_TRUE(stdfs::is_directory(site.Host("Data_UploadFiles/up/2025")));
  site.WriteFile("blocker", "x");
  EXPECT_EQ(asp::testing::ErrorNumberOf([] { fs::CreateFolderWithParents(u"C:\\blocker\\sub"); }), vb::kPathFileAccessError);
}

}  // namespace
