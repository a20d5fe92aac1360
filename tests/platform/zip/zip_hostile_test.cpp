// Archives made to harm: entries that leave the destination, links, too many
// entries, too many bytes. Each is refused whole and leaves the destination
// as it was.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/zip/entry_names.h"
#include "platform/zip/staged_extraction.h"
#include "platform/zip/xceed_zip.h"
#include "support/archive_bytes.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;
using namespace ziparc;

class HostileZipTest : public testing::Test {
 protected:
  void SetUp() override { site_.WriteFile("site/out/before.txt", "before"); }
  void TearDown() override { SetLimits({}); }

  ZipResult Unpack(const std::vector<qe_test::RawZipEntry>& entries) {
    site_.WriteFile("site/hostile.zip", qe_test::ZipBytes(entries));
    XceedZip zip;
    zip.zip_filename = u"C:\\site\\hostile.zip";
    zip.unzip_to_folder = u"C:\\site\\out";
    return zip.Unzip();
  }
  // Only what was there before, and nothing beside the site.
  void ExpectUntouched() {
    std::vector<std::string> names;
    for (const auto& entry : stdfs::recursive_directory_iterator(site_.Drive()))
      names.push_back(stdfs::relative(entry.path(), site_.Drive()).generic_string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"site", "site/hostile.zip", "site/out", "site/out/before.txt"}));
  }

  qe_test::TempSite site_;
};

TEST_F(HostileZipTest, EntriesThatLeaveTheDestinationRefuseTheWholeArchive) {
  for (const char* name : {"../x.txt", "a/../../x.txt", "/x.txt", "\\x.txt", "C:\\x.txt", "C:x.txt", "a\\..\\..\\x.txt",
                           "a/./../../x.txt", "con.txt", "a/nul", "x?.txt", "a\x01.txt", "...", "a/ ./b"}) {
    EXPECT_EQ(Unpack({qe_test::StoredEntry("good.txt", "good"), qe_test::StoredEntry(name, "bad")}), kZipUnsafeEntry)
        << name;
    ExpectUntouched();
  }
}

// Streams that a lenient decoder would turn into the declared bytes.
TEST_F(HostileZipTest, Deflate64StreamsTheFormatForbidsAreBroken) {
  const struct {
    const char* what;
    std::string data, content;
  } cases[] = {
      {"a copy from before the start", std::string("\x03\x02\x00", 3), std::string(3, '\0')},
      {"a stored block whose length check differs", std::string("\x01\x05\x00\x00\x00hello", 10), "hello"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qe_test::RawZipEntry entry = qe_test::StoredEntry("a.txt", c.content);
    entry.method = 9;
    entry.data = c.data;
    EXPECT_EQ(Unpack({entry}), kZipDamaged);
    ExpectUntouched();
  }
}

TEST_F(HostileZipTest, LinksAndDevicesAreRefused) {
  qe_test::RawZipEntry link = qe_test::StoredEntry("link", "/etc/passwd");
  link.system = 3;
  link.external = 0120777u << 16;
  EXPECT_EQ(Unpack({qe_test::StoredEntry("good.txt", "good"), link}), kZipUnsafeEntry);
  ExpectUntouched();
  qe_test::RawZipEntry device = qe_test::StoredEntry("tty", "");
  device.system = 3;
  device.external = 020666u << 16;
  EXPECT_EQ(Unpack({device}), kZipUnsafeEntry);
  qe_test::RawZipEntry reparse = qe_test::StoredEntry("junction", "");
  reparse.external = 0x410;
  EXPECT_EQ(Unpack({reparse}), kZipUnsafeEntry);
  ExpectUntouched();
}

TEST_F(HostileZipTest, AFileAndAFolderOfOneNameAreRefused) {
  EXPECT_EQ(Unpack({qe_test::StoredEntry("a", "file"), qe_test::StoredEntry("A/b.txt", "inside")}), kZipUnsafeEntry);
  ExpectUntouched();
}

TEST_F(HostileZipTest, MoreThanTenThousandEntriesAreRefused) {
  std::vector<qe_test::RawZipEntry> entries;
  for (int i = 0; i < 10001; ++i) entries.push_back(qe_test::StoredEntry("f" + std::to_string(i), ""));
  EXPECT_EQ(Unpack(entries), kZipSizeCap);
  ExpectUntouched();
  entries.pop_back();
  EXPECT_EQ(Unpack(entries), kZipSuccess);
  EXPECT_TRUE(stdfs::exists(site_.Host("site/out/f9999")));
}

TEST_F(HostileZipTest, ADeclaredTwoGibibyteExpansionIsRefusedBeforeWriting) {
  qe_test::RawZipEntry bomb{"bomb.bin", qe_test::DeflatedZeros(2048), 0, 8};
  bomb.size = 0x80000000u;
  bomb.crc = 0;  // never reached
  EXPECT_EQ(Unpack({qe_test::StoredEntry("good.txt", "good"), bomb}), kZipSizeCap);
  ExpectUntouched();
}

TEST_F(HostileZipTest, BytesAreCountedAsWrittenNotAsDeclared) {
  SetLimits({4u << 20, 10000});
  qe_test::RawZipEntry bomb{"bomb.bin", qe_test::DeflatedZeros(2048), 0, 8};
  bomb.size = 1000;  // a lie: it expands to 2 GiB
  EXPECT_EQ(Unpack({qe_test::StoredEntry("good.txt", "good"), bomb}), kZipSizeCap);
  ExpectUntouched();

  // Within the cap, the same kind of entry is written whole.
  qe_test::RawZipEntry small{"zeros.bin", qe_test::DeflatedZeros(3), 0, 8};
  small.size = 3u << 20;
  small.crc = qe_test::Crc32(std::string(3u << 20, '\0'));
  EXPECT_EQ(Unpack({small}), kZipSuccess);
  EXPECT_EQ(stdfs::file_size(site_.Host("site/out/zeros.bin")), 3u << 20);
}

// A drive's free room caps the extractions of the thread that unpacks for
// it: the declared total before anything is written, then the bytes written;
// the cap tells that it was the one reached, and goes with its scope.
TEST_F(HostileZipTest, AThreadsCapHoldsItsExtractionsToItsBytes) {
  qe_test::RawZipEntry declared{"zeros.bin", qe_test::DeflatedZeros(3), 0, 8};
  declared.size = 3u << 20;
  declared.crc = qe_test::Crc32(std::string(3u << 20, '\0'));
  qe_test::RawZipEntry lying{"bomb.bin", qe_test::DeflatedZeros(64), 0, 8};
  lying.size = 1000;
  for (const qe_test::RawZipEntry& entry : {declared, lying}) {
    ThreadByteCap cap(1u << 20);
    EXPECT_EQ(Unpack({entry}), kZipSizeCap) << entry.name;
    EXPECT_TRUE(cap.Reached()) << entry.name;
    ExpectUntouched();
  }
  {
    ThreadByteCap cap(4u << 20);
    EXPECT_EQ(Unpack({declared}), kZipSuccess);
    EXPECT_FALSE(cap.Reached());
  }
  stdfs::remove(site_.Host("site/out/zeros.bin"));
  EXPECT_EQ(Unpack({declared}), kZipSuccess);  // the cap went with its scope
}

TEST_F(HostileZipTest, AStopAtTheCapRemovesAFolderTheExtractionMade) {
  SetLimits({1u << 20, 10000});
  qe_test::RawZipEntry bomb{"bomb.bin", qe_test::DeflatedZeros(16), 0, 8};
  bomb.size = 10;
  site_.WriteFile("site/hostile.zip", qe_test::ZipBytes({bomb}));
  XceedZip zip;
  zip.zip_filename = u"C:\\site\\hostile.zip";
  zip.unzip_to_folder = u"C:\\site\\new\\deeper";
  EXPECT_EQ(zip.Unzip(), kZipSizeCap);
  EXPECT_FALSE(stdfs::exists(site_.Host("site/new")));
}

TEST_F(HostileZipTest, ABrokenChecksumFailsWithoutTouchingTheDestination) {
  qe_test::RawZipEntry broken = qe_test::StoredEntry("before.txt", "changed");
  broken.crc ^= 1;
  EXPECT_EQ(Unpack({broken}), kZipDamaged);
  ExpectUntouched();
  std::ifstream in(site_.Host("site/out/before.txt"));
  std::string content;
  std::getline(in, content);
  EXPECT_EQ(content, "before");
}

TEST(EntryPath, NamesAsWindowsStoresThem) {
  const struct {
    const char16_t* name;
    std::vector<vb::String> names;
    bool folder;
  } cases[] = {
      {u"a\\b. /c.txt", {u"a", u"b", u"c.txt"}, false},
      {u"目录/", {u"目录"}, true},
      {u"a/.", {u"a"}, true},
      {u"./a//b.txt", {u"a", u"b.txt"}, false},
      {u"a//", {u"a"}, true},
  };
  for (const auto& c : cases) {
    auto path = CheckEntryPath(c.name);
    ASSERT_TRUE(path) << vb::ToUtf8(c.name);
    EXPECT_EQ(path->names, c.names) << vb::ToUtf8(c.name);
    EXPECT_EQ(path->folder, c.folder) << vb::ToUtf8(c.name);
  }
  EXPECT_FALSE(CheckEntryPath(u""));
  EXPECT_FALSE(CheckEntryPath(vb::String(200, u'名')));  // 600 bytes on the host
}

}  // namespace
