// Text files in code page 936, folder listings and streamed text files.
#include <gtest/gtest.h>

#include "common/kesra_file_text.h"
#include "platform/asp/context.h"
#include "platform/fs/file.h"
#include "platform/vb/raises.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;
using namespace qe;
using vb::String;

class KesraTextFileTest : public testing::Test {
 protected:
  std::string Bytes(const char16_t* path) const { return fs::ReadAllBytes(path); }
  qe_test::TempSite site_;
};

TEST_F(KesraTextFileTest, WritesCodePage936WithoutAMark) {
  EXPECT_TRUE(KesraSaveToTextFile(u"C:\\site\\a.txt", u"中a", 2));
  EXPECT_EQ(Bytes(u"C:\\site\\a.txt"), "\xD6\xD0" "a");
  EXPECT_TRUE(KesraSaveToTextFile(u"C:\\site\\a.txt", u"中a", 1));
  EXPECT_EQ(Bytes(u"C:\\site\\a.txt"), "\xD6\xD0" "a" "\xD6\xD0" "a");
  EXPECT_TRUE(KesraSaveToTextFile(u" C:\\site\\A.TXT ", u"ĉ\r\n", 2));  // what the page cannot hold is "?"
  EXPECT_EQ(Bytes(u"C:\\site\\a.txt"), "?\r\n");
  EXPECT_TRUE(KesraSaveToTextFile(u"C:\\site\\new.txt", u"x", 7));  // appending makes a missing file
  EXPECT_EQ(Bytes(u"C:\\site\\new.txt"), "x");
}

TEST_F(KesraTextFileTest, MakesTheFolderChainFirst) {
  EXPECT_TRUE(KesraSaveToTextFile(u"C:\\site\\update\\deep\\update.bat", u"@echo off", 2));
  EXPECT_EQ(Bytes(u"C:\\site\\update\\deep\\update.bat"), "@echo off");
}

TEST_F(KesraTextFileTest, ReportsWhatCouldNotBeWritten) {
  EXPECT_FALSE(KesraSaveToTextFile(u"  ", u"x", 2));
  EXPECT_FALSE(KesraSaveToTextFile(u"C:\\site", u"x", 2));          // a folder
  EXPECT_FALSE(KesraSaveToTextFile(u"C:\\..\\escape.txt", u"x", 2));  // leaves the drive
  fs::MapDrive(u'D', "/dev");
  EXPECT_FALSE(KesraSaveToTextFile(u"D:\\full", u"a full disk", 2));
  fs::UnmapDrive(u'D');
}

TEST_F(KesraTextFileTest, CreatesAnEmptyFileOverAnOldOneOnlyWhenAsked) {
  site_.WriteFile("site/old.txt", "content");
  EXPECT_FALSE(KesraFileCreateEmptyTxt(u"C:\\site\\old.txt", u"replace"));
  EXPECT_EQ(Bytes(u"C:\\site\\old.txt"), "content");
  EXPECT_TRUE(KesraFileCreateEmptyTxt(u"C:\\site\\old.txt", u"Overwrite "));
  EXPECT_EQ(Bytes(u"C:\\site\\old.txt"), "");
  EXPECT_TRUE(KesraFileCreateEmptyTxt(u"C:\\site\\fresh.txt", u""));
  EXPECT_TRUE(stdfs::exists(site_.Host("site/fresh.txt")));
}

TEST_F(KesraTextFileTest, ReadsBackWhatItWrote) {
  const String text = u"第一行\r\nline 2\n€ and ＡＢＣ";
  ASSERT_TRUE(KesraSaveToTextFile(u"C:\\site\\t.txt", text, 2));
  EXPECT_EQ(KesraReadFromTextFile(u"C:\\site\\T.TXT"), text);
  site_.WriteFile("site/u8.txt", "\xEF\xBB\xBF\xE4\xB8\xAD");  // UTF-8 with a mark is read as ANSI
  EXPECT_EQ(KesraReadFromTextFile(u"C:\\site\\u8.txt").substr(0, 1), u"锘");
  EXPECT_EQ(KesraReadFromTextFile(u"C:\\site\\missing.txt"), u"");
  EXPECT_EQ(KesraReadFromTextFile(u"C:\\site"), u"");
}

TEST_F(KesraTextFileTest, ReadsPathsOfAnyLength) {
  String folder = u"C:\\site\\" + String(60, u'f') + u"\\" + String(60, u'g');
  String path = folder + u"\\text.txt";
  ASSERT_GT(path.size(), 127u);
  ASSERT_TRUE(KesraSaveToTextFile(path, u"long 路径", 2));
  EXPECT_EQ(KesraReadFromTextFile(path), u"long 路径");
}

TEST_F(KesraTextFileTest, ListsFoldersOrFiles) {
  site_.WriteFile("site/list/a.txt");
  site_.WriteFile("site/list/B.txt");
  site_.MakeFolder("site/list/s");
  site_.MakeFolder("site/list/t");
  site_.MakeFolder("site/empty");
  EXPECT_EQ(KesraSearchPathFile(u"C:\\site\\list", 1), u"s|t");
  EXPECT_EQ(KesraSearchPathFile(u"C:\\SITE\\LIST", 0), u"a.txt|B.txt");
  EXPECT_EQ(KesraSearchPathFile(u"C:\\site\\empty", 0), u"");
  EXPECT_EQ(KesraSearchPathFile(u"C:\\site\\empty", 1), u"");
  EXPECT_EQ(KesraSearchPathFile(u"C:\\site\\missing", 0), u"");
  EXPECT_EQ(KesraSearchPathFile(u"C:\\..", 1), u"");
}

TEST_F(KesraTextFileTest, ListsNamesAsTheAnsiSearchGivesThem) {
  site_.WriteFile("site/list/ĉ.txt");
  site_.MakeFolder("site/list/ro");
  stdfs::permissions(site_.Host("site/list/ro"), stdfs::perms::owner_write, stdfs::perm_options::remove);
  EXPECT_EQ(KesraSearchPathFile(u"C:\\site\\list", 0), u"ro|?.txt");  // a read-only folder counts as a file
  EXPECT_EQ(KesraSearchPathFile(u"C:\\site\\list", 1), u"ro");
}

class KesraStreamTextTest : public KesraTextFileTest {
 protected:
  asp::Context context_{asp::RequestSpec{}};
  vb::Variant server_ = context_.Server();
};

TEST_F(KesraStreamTextTest, ReadsInTheCharacterSetGiven) {
  site_.WriteFile("site/qe/u8.txt", "\xEF\xBB\xBF\xE4\xB8\xAD\xE6\x96\x87");
  site_.WriteFile("site/gb.txt", "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(KesraReadTextByStream(server_, u"u8.txt", u"utf-8"), u"中文");  // beside the page
  EXPECT_EQ(KesraReadTextByStream(server_, u"/gb.txt", u"gb2312"), u"中文");
  EXPECT_EQ(KesraReadTextByStream(server_, u"C:\\site\\gb.txt", u"GBK"), u"中文");
  EXPECT_RAISES(3002, KesraReadTextByStream(server_, u"/missing.txt", u"utf-8"));
  EXPECT_RAISES(3001, KesraReadTextByStream(server_, u"/gb.txt", u"no-such-set"));
}

TEST_F(KesraStreamTextTest, WritesInTheCharacterSetGivenOverAnOldFile) {
  site_.WriteFile("site/out.txt", "an older and longer content");
  KesraWritedTextByStream(server_, u"中文", u"/out.txt", u"utf-8");
  EXPECT_EQ(Bytes(u"C:\\site\\out.txt"), "\xEF\xBB\xBF\xE4\xB8\xAD\xE6\x96\x87");
  EXPECT_EQ(KesraReadTextByStream(server_, u"/out.txt", u"utf-8"), u"中文");
  KesraWritedTextByStream(server_, u"中文", u"C:\\site\\out.txt", u"gb2312");
  EXPECT_EQ(Bytes(u"C:\\site\\out.txt"), "\xD6\xD0\xCE\xC4");
  EXPECT_RAISES(3004, KesraWritedTextByStream(server_, u"x", u"/no/such/folder.txt", u"utf-8"));
}

}  // namespace
