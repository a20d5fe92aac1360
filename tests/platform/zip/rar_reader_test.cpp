// RAR archives written byte by byte, extracted through libarchive.
#include <gtest/gtest.h>


#include "platform/zip/rar_reader.h"
#include "platform/zip/staged_extraction.h"
#include "support/archive_bytes.h"
#include "support/file_content.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;
using namespace ziparc;
using qe_test::RarEntry;
using qe_test::RarFile;

class RarReaderTest : public testing::Test {
 protected:
  ZipResult Unpack(const std::vector<RarEntry>& entries) {
    site_.WriteFile("site/in.rar", qe_test::Rar4Bytes(entries));
    return UnpackRar(u"C:\\site\\in.rar", u"C:\\site\\out");
  }
  std::vector<std::string> Listing() {
    std::vector<std::string> names;
    if (!stdfs::exists(site_.Host("site/out"))) return names;
    for (const auto& entry : stdfs::recursive_directory_iterator(site_.Host("site/out")))
      names.push_back(stdfs::relative(entry.path(), site_.Host("site/out")).generic_string());
    std::sort(names.begin(), names.end());
    return names;
  }

  qe_test::TempSite site_;
};

TEST_F(RarReaderTest, ExtractsStoredEntriesWithFullPathsAndChineseNames) {
  ASSERT_EQ(Unpack({
                RarFile("\xD6\xD0\xCE\xC4.txt", "code page"),  // 中文.txt without the Unicode flag
                {"u.txt", "unicode", u"文件€.txt"},               // with it
                {"docs", "", {}, true, 2, 0x10},
                RarFile("docs\\readme.txt", "nested"),
            }),
            kZipSuccess);
  EXPECT_EQ(Listing(), (std::vector<std::string>{"docs", "docs/readme.txt", "中文.txt", "文件€.txt"}));
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/out/中文.txt")), "code page");
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/out/文件€.txt")), "unicode");
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/out/docs/readme.txt")), "nested");
}

TEST_F(RarReaderTest, ReplacesExistingFiles) {
  site_.WriteFile("site/out/a.txt", "old");
  site_.WriteFile("site/out/b.txt", "kept");
  ASSERT_EQ(Unpack({RarFile("a.txt", "new")}), kZipSuccess);
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/out/a.txt")), "new");
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/out/b.txt")), "kept");
}

TEST_F(RarReaderTest, RefusesEntriesThatLeaveTheDestinationAndLinks) {
  for (const char* name : {"..\\x.txt", "\\x.txt", "C:\\x.txt", "a\\..\\..\\x.txt"}) {
    EXPECT_EQ(Unpack({RarFile("good.txt", "good"), RarFile(name, "bad")}), kZipUnsafeEntry) << name;
    EXPECT_EQ(Listing(), std::vector<std::string>{});
  }
  EXPECT_EQ(Unpack({RarFile("good.txt", "good"), {"link", "/etc/passwd", {}, false, 3, 0120777}}), kZipUnsafeEntry);
  EXPECT_EQ(Listing(), std::vector<std::string>{});
  EXPECT_FALSE(stdfs::exists(site_.Host("x.txt")));
}

TEST_F(RarReaderTest, RefusesEncryptedArchivesAndWhatIsNoRar) {
  EXPECT_EQ(Unpack({{"a.txt", "scrambled", {}, false, 2, 0x20, 0x0004}}), kZipPassword);
  site_.WriteFile("site/text.rar", "no archive at all");
  EXPECT_EQ(UnpackRar(u"C:\\site\\text.rar", u"C:\\site\\out"), kZipNotAnArchive);
  EXPECT_EQ(UnpackRar(u"C:\\site\\missing.rar", u"C:\\site\\out"), kZipNotAnArchive);
  EXPECT_EQ(Listing(), std::vector<std::string>{});
}

TEST_F(RarReaderTest, HoldsTheByteCap) {
  SetLimits({100, 10000});
  EXPECT_EQ(Unpack({RarFile("a.txt", std::string(60, 'a')), RarFile("b.txt", std::string(60, 'b'))}), kZipSizeCap);
  SetLimits({});
  EXPECT_EQ(Listing(), std::vector<std::string>{});
}

TEST_F(RarReaderTest, ABrokenEntryFailsWithoutTouchingTheDestination) {
  std::string archive = qe_test::Rar4Bytes({RarFile("a.txt", "first"), RarFile("b.txt", "second")});
  site_.WriteFile("site/in.rar", archive.substr(0, archive.size() - 12));  // cut into the last entry
  EXPECT_NE(UnpackRar(u"C:\\site\\in.rar", u"C:\\site\\out"), kZipSuccess);
  EXPECT_EQ(Listing(), std::vector<std::string>{});
}

}  // namespace
