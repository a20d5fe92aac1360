#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/fs/paths.h"
#include "platform/vb/error.h"
#include "support/printable.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;
using qe_test::Printable;
using vb::String;

// A site with a few files, links that stay on the drive and links that leave it.
class HostPathTest : public testing::Test {
 protected:
  void SetUp() override {
    site_.WriteFile("site/data/qe.asp", "db");
    site_.WriteFile("site/qe/index.asp");
    site_.WriteFile("site/数据/文件.txt");
    site_.WriteFile("site/Ärger.txt");
    site_.WriteFile("site/ｆｕｌｌ.txt");
    site_.WriteFile("site/mixed/Name");
    site_.WriteFile("site/mixed/NAME");
    site_.WriteFile("site/Zoo/azAZ.txt");
    site_.WriteFile("site/Zoo/[@].txt");
    site_.WriteFile("site/Zoo/ſı.b");
    site_.WriteFile("site/Zoo/\xff.txt");  // not UTF-8: made by another program
    stdfs::create_directory_symlink("data", site_.Host("site/inside"));
    stdfs::create_directory_symlink("..", site_.Host("site/top"));
    stdfs::create_directory_symlink(outside_.Drive(), site_.Host("site/out"));
    stdfs::create_directory_symlink("../..", site_.Host("site/up"));
    stdfs::create_symlink("nowhere", site_.Host("site/broken"));
    outside_.WriteFile("passwd", "secret");
  }

  qe_test::TempSite outside_;  // maps C: first; `site_` maps it again
  qe_test::TempSite site_;
};

struct Found {
  String windows_path;
  std::string host;  // relative to the drive's folder
};

void PrintTo(const Found& f, std::ostream* out) { *out << Printable(f.windows_path); }

class HostPathFinds : public HostPathTest, public testing::WithParamInterface<Found> {};

TEST_P(HostPathFinds, TheExistingEntry) {
  const Found& f = GetParam();
  EXPECT_EQ(fs::ToHostPath(f.windows_path), site_.Host(f.host));
  std::optional<stdfs::path> existing = fs::ResolveExisting(f.windows_path);
  ASSERT_TRUE(existing.has_value());
  EXPECT_EQ(*existing, site_.Host(f.host));
}

INSTANTIATE_TEST_SUITE_P(WithoutCase, HostPathFinds,
                         testing::Values(Found{u"C:\\site\\data\\qe.asp", "site/data/qe.asp"},
                                         Found{u"C:\\site\\Data", "site/data"},
                                         Found{u"C:\\SITE\\DATA\\QE.ASP", "site/data/qe.asp"},
                                         Found{u"c:/site/DATA/QE.ASP", "site/data/qe.asp"},
                                         Found{u"C:\\site\\ärger.TXT", "site/Ärger.txt"},
                                         Found{u"C:\\site\\ＦＵＬＬ.txt", "site/ｆｕｌｌ.txt"},
                                         Found{u"C:\\site\\数据\\文件.TXT", "site/数据/文件.txt"},
                                         // The letters at both ends of the alphabet.
                                         Found{u"C:\\site\\zOO\\AZaz.TXT", "site/Zoo/azAZ.txt"},
                                         Found{u"C:\\site\\ZOO\\azaz.txt", "site/Zoo/azAZ.txt"}));

// A name with few spellings is looked up by each (the long s and the dotless
// i are spellings of S and I), one with many by a listing of its folder; a
// host name that is not UTF-8 reads as U+FFFD, which only a listing finds.
INSTANTIATE_TEST_SUITE_P(FewAndManySpellings, HostPathFinds,
                         testing::Values(Found{u"C:\\site\\zoo\\SI.B", "site/Zoo/ſı.b"},
                                         Found{u"C:\\site\\zoo\\[@].TXT", "site/Zoo/[@].txt"},
                                         Found{u"C:\\site\\zoo\\\uFFFD.TXT", "site/Zoo/\xff.txt"},
                                         Found{u"C:\\site\\MIXED\\nAME", "site/mixed/NAME"},
                                         Found{u"C:\\SITE\\Zoo\\AzAz.Txt", "site/Zoo/azAZ.txt"}));

INSTANTIATE_TEST_SUITE_P(
    AsWindowsSpellsIt, HostPathFinds,
    testing::Values(Found{u"C:\\", ""}, Found{u"C:\\\\site//data\\\\\\qe.asp", "site/data/qe.asp"},
                    Found{u"C:\\site\\qe\\..\\.\\data\\qe.asp", "site/data/qe.asp"},
                    Found{u"C:\\site\\data\\qe.asp.", "site/data/qe.asp"},
                    Found{u"C:\\site\\data. \\qe.asp", "site/data/qe.asp"},
                    Found{u"C:\\site\\data\\", "site/data"}));

// The name as given wins; among other spellings, the first in byte order.
INSTANTIATE_TEST_SUITE_P(ExactNameFirst, HostPathFinds,
                         testing::Values(Found{u"C:\\site\\mixed\\Name", "site/mixed/Name"},
                                         Found{u"C:\\site\\mixed\\NAME", "site/mixed/NAME"},
                                         Found{u"C:\\site\\mixed\\name", "site/mixed/NAME"}));

INSTANTIATE_TEST_SUITE_P(LinksThatStayOnTheDrive, HostPathFinds,
                         testing::Values(Found{u"C:\\site\\inside\\qe.asp", "site/inside/qe.asp"},
                                         Found{u"C:\\site\\INSIDE", "site/inside"},
                                         Found{u"C:\\site\\top\\site\\data",
                                               "site/top/site/data"}));

class HostPathKeeps : public HostPathFinds {};

TEST_P(HostPathKeeps, MissingNamesAsGiven) {
  const Found& f = GetParam();
  EXPECT_EQ(fs::ToHostPath(f.windows_path), site_.Host(f.host));
  EXPECT_FALSE(fs::ResolveExisting(f.windows_path).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    AfterTheLastExistingName, HostPathKeeps,
    testing::Values(Found{u"C:\\site\\Data\\New.TXT", "site/data/New.TXT"},
                    Found{u"C:\\site\\DATA\\New\\Sub\\File.TXT", "site/data/New/Sub/File.TXT"},
                    Found{u"C:\\site\\data\\qe.asp\\below", "site/data/qe.asp/below"},
                    Found{u"C:\\site\\新建\\文件.txt.", "site/新建/文件.txt"},
                    Found{u"C:\\site\\console", "site/console"},
                    Found{u"C:\\site\\COM10", "site/COM10"},
                    // Next to the letters but no letters: "{" and "`" are not "[" and "@".
                    Found{u"C:\\site\\Zoo\\{`}.txt", "site/Zoo/{`}.txt"},
                    Found{u"C:\\site\\" + String(255, u'a'), "site/" + std::string(255, 'a')},
                    // An absolute host path after the drive stays on the drive.
                    Found{u"C:\\/etc/passwd", "etc/passwd"}));

struct Refused {
  String windows_path;
  int32_t number;
};

void PrintTo(const Refused& r, std::ostream* out) { *out << Printable(r.windows_path); }

std::vector<Refused> RefusedWith(int32_t number, std::initializer_list<String> paths) {
  std::vector<Refused> rows;
  for (const String& path : paths) rows.push_back({path, number});
  return rows;
}

class HostPathRefuses : public HostPathTest, public testing::WithParamInterface<Refused> {};

TEST_P(HostPathRefuses, WithTheErrorNumber) {
  const Refused& r = GetParam();
  try {
    stdfs::path host = fs::ToHostPath(r.windows_path);
    ADD_FAILURE() << vb::ToUtf8(r.windows_path) << " gave " << host;
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), r.number) << e.what();
    EXPECT_NE(e.Description(), vb::StandardDescription(e.Number()));
  }
}

INSTANTIATE_TEST_SUITE_P(LeavingTheDrive, HostPathRefuses,
                         testing::ValuesIn(RefusedWith(
                             vb::kPermissionDenied,
                             {u"C:\\..\\x", u"C:\\site\\..\\..\\x",
                              u"C:/site/data/../../../etc/passwd", u"C:\\site\\out",
                              u"C:\\site\\OUT\\passwd", u"C:\\site\\out\\new.txt",
                              u"C:\\site\\up\\x", u"C:\\site\\top\\site\\out\\passwd",
                              u"C:\\site\\broken", String(u"C:\\site\\data\\qe.asp\0.txt", 24)})));

INSTANTIATE_TEST_SUITE_P(NotOnAMappedDrive, HostPathRefuses,
                         testing::ValuesIn(RefusedWith(vb::kPathNotFound,
                                                       {u"Z:\\x", u"site\\data", u"C:site",
                                                        u"\\\\server\\share\\x", u"\\\\?\\C:\\site",
                                                        u"1:\\x"})));

INSTANTIATE_TEST_SUITE_P(
    NamesWindowsRefuses, HostPathRefuses,
    testing::ValuesIn(RefusedWith(
        vb::kBadFileNameOrNumber,
        {u"C:\\site\\con", u"C:\\site\\NUL.txt", u"C:\\site\\aux .log\\x", u"C:\\site\\com1",
         u"C:\\site\\LPT9.txt", u"C:\\site\\data\\qe.asp:stream", u"C:\\site\\data\\qe.asp::$DATA",
         u"C:\\site\\*.asp", u"C:\\site\\a?b", u"C:\\site\\a\tb", u"C:\\site\\...\\x",
         u"C:\\site\\.. \\x", u"C:\\site\\" + String(256, u'a'), String(u"C:\\site\\\xD800x")})));

TEST_F(HostPathTest, MapPathThenToHostPathFindsTheFile) {
  String mapped = fs::MapPath(qe_test::TempSite::SiteRoot(), u"/qe/index.asp", u"../DATA/QE.ASP");
  EXPECT_EQ(fs::ToHostPath(mapped), site_.Host("site/data/qe.asp"));
}

TEST(DriveMap, LettersAreCaseInsensitive) {
  fs::MapDrive(u'q', "/srv/q/");
  EXPECT_EQ(fs::DriveFolder(u'Q'), stdfs::path("/srv/q"));
  EXPECT_EQ(fs::ToHostPath(u"Q:\\a"), stdfs::path("/srv/q/a"));
  fs::UnmapDrive(u'Q');
  EXPECT_FALSE(fs::DriveFolder(u'q').has_value());
  try {
    fs::ToHostPath(u"q:\\a");
    FAIL();
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), vb::kPathNotFound);
  }
}

TEST(DriveMap, RefusesWhatIsNotALetter) {
  for (char16_t letter : {u'1', u'@', u'[', u'\u00C4'}) {
    EXPECT_THROW(fs::MapDrive(letter, "/tmp"), vb::Error);
  }
}

// Readers see one mapping or the other, never a torn one.
TEST(DriveMap, RemappingWhileOtherThreadsResolve) {
  std::atomic<bool> stop = false;
  std::atomic<int> odd = 0;
  fs::MapDrive(u'R', "/srv/one");
  std::vector<std::thread> readers;
  for (int i = 0; i < 4; ++i) {
    readers.emplace_back([&] {
      while (!stop) {
        stdfs::path host = fs::ToHostPath(u"R:\\x");
        if (host != "/srv/one/x" && host != "/srv/two/x") ++odd;
      }
    });
  }
  for (int i = 0; i < 2000; ++i) fs::MapDrive(u'R', i % 2 ? "/srv/one" : "/srv/two");
  stop = true;
  for (std::thread& reader : readers) reader.join();
  fs::UnmapDrive(u'R');
  EXPECT_EQ(odd, 0);
}

}  // namespace
