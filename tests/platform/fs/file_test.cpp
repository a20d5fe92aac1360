// Files by Windows path: dispositions, errors, and whole new files.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/fs/file.h"
#include "platform/vb/raises.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;

class FileTest : public testing::Test {
 protected:
  void SetUp() override { site_.WriteFile("site/a.txt", "abc"); }
  qe_test::TempSite site_;
};

TEST_F(FileTest, OpensAsEachDispositionSays) {
  {
    fs::File file = fs::File::Open(u"C:\\SITE\\A.TXT", true, fs::Disposition::kOpenAlways);
    file.SeekToEnd();
    EXPECT_TRUE(file.Write("de"));
    EXPECT_TRUE(file.Close());
  }
  EXPECT_EQ(fs::ReadAllBytes(u"C:\\site\\a.txt"), "abcde");
  fs::File::Open(u"C:\\site\\a.txt", true, fs::Disposition::kCreateAlways).Close();
  EXPECT_EQ(stdfs::file_size(site_.Host("site/a.txt")), 0u);
  EXPECT_RAISES(vb::kFileAlreadyExists, fs::File::Open(u"C:\\site\\a.txt", true, fs::Disposition::kCreateNew));
  EXPECT_RAISES(vb::kFileNotFound, fs::File::Open(u"C:\\site\\b.txt", false, fs::Disposition::kOpenExisting));
  EXPECT_RAISES(vb::kPathNotFound, fs::File::Open(u"C:\\site\\no\\b.txt", true, fs::Disposition::kCreateAlways));
  EXPECT_RAISES(vb::kPathFileAccessError, fs::File::Open(u"C:\\site", false, fs::Disposition::kOpenExisting));
  EXPECT_RAISES(vb::kPermissionDenied, fs::File::Open(u"C:\\..\\x", true, fs::Disposition::kCreateAlways));
}

TEST_F(FileTest, ReportsAWriteTheDiskDidNotTake) {
  fs::MapDrive(u'D', "/dev");
  fs::File full = fs::File::Open(u"D:\\full", true, fs::Disposition::kOpenExisting);
  EXPECT_FALSE(full.Write("x"));
  fs::UnmapDrive(u'D');
}

TEST_F(FileTest, WritesANewFileWholeAndNeverReplacesOne) {
  EXPECT_FALSE(fs::WriteNewFile(u"C:\\site\\a.txt", "new"));
  EXPECT_EQ(fs::ReadAllBytes(u"C:\\site\\a.txt"), "abc");
  std::string big(1 << 20, 'x');
  std::vector<std::thread> writers;
  std::atomic<int> made{0};
  for (int i = 0; i < 8; ++i) {
    writers.emplace_back([&] { made += fs::WriteNewFile(u"C:\\site\\lib.dll", big) ? 1 : 0; });
  }
  for (auto& w : writers) w.join();
  EXPECT_EQ(made, 1);
  EXPECT_EQ(fs::ReadAllBytes(u"C:\\site\\lib.dll"), big);
  for (const auto& entry : stdfs::directory_iterator(site_.Host("site"))) {
    EXPECT_EQ(entry.path().filename().string().find(".qe-"), std::string::npos);  // no leftovers
  }
}

}  // namespace
