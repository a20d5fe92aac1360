// ADODB.Stream: bytes and text in each character set, marks, files and errors.
#include <gtest/gtest.h>

#include "platform/com/registry.h"
#include "platform/fs/file.h"
#include "platform/stream/stream.h"
#include "platform/vb/raises.h"
#include "support/temp_site.h"

namespace {

using stream::Stream;
using vb::String;

Stream TextStream(const char16_t* charset) {
  Stream s;
  s.Type(stream::adTypeText);
  s.Charset(charset);
  s.Open();
  return s;
}

std::string BytesOf(Stream& s) {
  s.Position(0);
  s.Type(stream::adTypeBinary);
  vb::Variant read = s.Read();
  if (read.IsNull()) return {};
  const auto& bytes = read.As<vb::Array>().Bytes();
  return std::string(bytes.begin(), bytes.end());
}

TEST(StreamText, WritesEachCharacterSetWithItsMark) {
  struct Case {
    const char16_t* charset;
    std::string bytes;
  } cases[] = {
      {u"utf-8", "\xEF\xBB\xBF\xE4\xB8\xAD" "a"},
      {u"unicode", std::string("\xFF\xFE\x2D\x4E" "a\0", 6)},
      {u"unicodeFFFE", std::string("\xFE\xFF\x4E\x2D\0a", 6)},
      {u"gb2312", "\xD6\xD0" "a"},
      {u"GBK", "\xD6\xD0" "a"},
      {u"big5", "\xA4\xA4" "a"},
      {u"us-ascii", "?a"},
      {u"windows-1252", "?a"},
  };
  for (const Case& c : cases) {
    Stream s = TextStream(c.charset);
    s.WriteText(u"中a");
    EXPECT_EQ(BytesOf(s), c.bytes) << vb::ToUtf8(c.charset);
  }
}

TEST(StreamText, ReadsBackWithoutTheMark) {
  for (const char16_t* charset : {u"utf-8", u"unicode", u"unicodeFFFE", u"gb2312", u"big5"}) {
    Stream s = TextStream(charset);
    s.WriteText(u"中文 text");
    s.Position(0);
    EXPECT_EQ(s.ReadText(), u"中文 text") << vb::ToUtf8(charset);
    EXPECT_TRUE(s.EOS());
  }
}

TEST(StreamText, WritesNoMarkPastTheStart) {
  Stream s = TextStream(u"utf-8");
  s.WriteText(u"a");
  s.WriteText(u"b");
  EXPECT_EQ(BytesOf(s), "\xEF\xBB\xBF" "ab");
}

TEST(StreamText, ReadsCharactersAndLines) {
  Stream s = TextStream(u"gb2312");
  s.WriteText(u"第一行", stream::adWriteLine);
  s.WriteText(u"second");
  s.Position(0);
  EXPECT_EQ(s.ReadText(stream::adReadLine), u"第一行");
  EXPECT_EQ(s.Position(), 8);  // six bytes and CR LF
  EXPECT_EQ(s.ReadText(3), u"sec");
  EXPECT_EQ(s.ReadText(), u"ond");
  EXPECT_EQ(s.ReadText(), u"");
  s.Position(0);
  s.LineSeparator(stream::adLF);
  s.SkipLine();
  EXPECT_EQ(s.ReadText(), u"second");
}

TEST(StreamBinary, WritesReadsAndGrows) {
  Stream s;
  s.Type(stream::adTypeBinary);
  s.Open();
  s.Write(vb::Variant(vb::Array::OfBytes({1, 2, 3, 4})));
  EXPECT_EQ(s.Size(), 4);
  EXPECT_TRUE(s.Read().IsNull());  // at the end
  s.Position(1);
  EXPECT_EQ(s.Read(2).As<vb::Array>().Bytes(), (std::vector<uint8_t>{2, 3}));
  s.Position(6);  // past the end: zero bytes fill the gap
  EXPECT_EQ(s.Size(), 6);
  s.Position(2);
  s.Write(vb::Variant(vb::Array::OfBytes({9})));
  s.SetEOS();
  s.Position(0);
  EXPECT_EQ(s.Read().As<vb::Array>().Bytes(), (std::vector<uint8_t>{1, 2, 9}));
  EXPECT_RAISES(3001, s.Write(vb::Variant(u"text")));
}

TEST(StreamErrors, FollowTheStateAndTheType) {
  Stream s;
  EXPECT_RAISES(3704, s.Size());
  EXPECT_RAISES(3704, s.ReadText());
  EXPECT_RAISES(3704, s.Close());
  EXPECT_RAISES(3001, s.Charset(u"klingon"));
  EXPECT_RAISES(3001, s.Type(3));
  s.Open();
  EXPECT_RAISES(3705, s.Open());
  EXPECT_RAISES(3705, s.Mode(stream::adModeReadWrite));
  EXPECT_RAISES(3219, s.Read());
  s.WriteText(u"x");
  EXPECT_RAISES(3219, s.Charset(u"utf-8"));  // only at position 0
  EXPECT_RAISES(3219, s.Type(stream::adTypeBinary));
  s.Position(0);
  s.Type(stream::adTypeBinary);
  EXPECT_RAISES(3219, s.WriteText(u"y"));
  s.Close();
  s.Mode(stream::adModeRead);
  s.Open();
  EXPECT_RAISES(3219, s.Write(vb::Variant(vb::Array::OfBytes({1}))));
}

class StreamFiles : public testing::Test {
 protected:
  qe_test::TempSite site_;
};

TEST_F(StreamFiles, SaveOnlyOverwritesWhenAsked) {
  Stream s = TextStream(u"utf-8");
  s.WriteText(u"中");
  s.SaveToFile(u"C:\\site\\a.txt");
  EXPECT_EQ(s.Position(), 0);
  EXPECT_EQ(fs::ReadAllBytes(u"C:\\site\\a.txt"), "\xEF\xBB\xBF\xE4\xB8\xAD");
  EXPECT_RAISES(3004, s.SaveToFile(u"C:\\site\\A.TXT", stream::adSaveCreateNotExist));
  Stream shorter = TextStream(u"gb2312");
  shorter.WriteText(u"x");
  shorter.SaveToFile(u"C:\\site\\a.txt", stream::adSaveCreateOverWrite);
  EXPECT_EQ(fs::ReadAllBytes(u"C:\\site\\a.txt"), "x");
  EXPECT_RAISES(3004, s.SaveToFile(u"C:\\site\\missing\\a.txt", stream::adSaveCreateOverWrite));
  EXPECT_RAISES(3004, s.SaveToFile(u"C:\\..\\a.txt", stream::adSaveCreateOverWrite));
}

TEST_F(StreamFiles, LoadsAFileInTheCharacterSetAsked) {
  site_.WriteFile("site/u8.txt", "\xEF\xBB\xBF\xE4\xB8\xAD\xE6\x96\x87");
  Stream s = TextStream(u"utf-8");
  s.LoadFromFile(u"C:\\Site\\U8.TXT");
  EXPECT_EQ(s.ReadText(), u"中文");
  Stream ansi = TextStream(u"gb2312");
  ansi.LoadFromFile(u"C:\\site\\u8.txt");
  EXPECT_EQ(ansi.ReadText().substr(0, 2), u"锘夸");  // the mark and a lead byte read as code page 936
  EXPECT_RAISES(3002, s.LoadFromFile(u"C:\\site\\missing.txt"));
}

TEST(StreamCopy, ConvertsTextBetweenCharacterSets) {
  Stream from = TextStream(u"utf-8");
  from.WriteText(u"中文abc");
  from.Position(0);
  Stream to = TextStream(u"gb2312");
  from.CopyTo(to, 3);
  EXPECT_EQ(BytesOf(to), "\xD6\xD0\xCE\xC4" "a");
  from.Position(0);
  from.Type(stream::adTypeBinary);
  from.Position(3);
  Stream copy;
  copy.Type(stream::adTypeBinary);
  copy.Open();
  from.CopyTo(copy, 3);
  EXPECT_EQ(BytesOf(copy), "\xE4\xB8\xAD");
}

TEST(StreamLateBound, AnswersToItsMemberNames) {
  vb::Variant s(com::CreateObject(u"ADODB.Stream"));
  com::Let(s, u"Mode", int32_t{3});
  com::Let(s, u"type", int32_t{2});
  com::Let(s, u"CharSet", u"UTF-8");
  com::Call(s, u"Open");
  com::Call(s, u"WriteText", u"中");
  EXPECT_EQ(vb::CLng(com::Call(s, u"Size")), 6);
  com::Let(s, u"Position", int32_t{0});
  EXPECT_EQ(vb::CStr(com::Call(s, u"ReadText")), u"中");
  EXPECT_EQ(vb::CStr(com::Call(s, u"Charset")), u"UTF-8");
  vb::Variant other(com::CreateObject(u"ADODB.Stream"));
  com::Let(other, u"Charset", u"utf-8");
  com::Call(other, u"Open");
  com::Let(s, u"Position", int32_t{0});
  com::Call(s, u"CopyTo", other);
  EXPECT_EQ(vb::CLng(com::Call(other, u"Size")), 6);  // same set: the bytes as they are
  EXPECT_RAISES(3001, com::Call(other, u"Open", u"URL=http://example.com/"));
  EXPECT_RAISES(3001, com::Call(s, u"CopyTo", u"not a stream"));
}

}  // namespace
