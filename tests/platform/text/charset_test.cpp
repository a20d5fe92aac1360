#include "platform/text/charset.h"

#include <gtest/gtest.h>

namespace {

TEST(FindCharset, LabelsAreCaseInsensitiveAndTrimmed) {
  struct Case {
    const char* label;
    int code_page;  // 0: no such set
  };
  const Case cases[] = {
      {"GB2312", 936},       {" gbk ", 936},        {"CP936", 936},
      {"utf-8", 65001},      {"UTF8", 65001},       {"Unicode", 1200},
      {"utf-16", 1200},      {"unicodeFFFE", 1201}, {"UTF-16BE", 1201},
      {"us-ascii", 20127},   {"ISO-8859-1", 1252},  {"latin1", 1252},
      {"Windows-1252", 1252}, {"BIG5", 950},        {"gb18030", 0},
      {"", 0},               {"utf-7", 0},
  };
  for (const auto& k : cases) {
    const text::Charset* set = text::FindCharset(std::string_view(k.label));
    if (k.code_page == 0) {
      EXPECT_EQ(set, nullptr) << k.label;
    } else {
      ASSERT_NE(set, nullptr) << k.label;
      EXPECT_EQ(set->CodePage(), k.code_page) << k.label;
      EXPECT_EQ(text::FindCodePage(k.code_page), set) << k.label;
    }
  }
  EXPECT_EQ(text::FindCharset(vb::StringView(u"Gb2312")), &text::AnsiCharset());
  EXPECT_EQ(text::FindCharset(vb::StringView(u"gb2312中")), nullptr);
  EXPECT_EQ(text::FindCodePage(28591)->Name(), "windows-1252");
  EXPECT_EQ(text::FindCodePage(437), nullptr);
}

const text::Charset& Set(const char* label) { return *text::FindCharset(std::string_view(label)); }

TEST(Charsets, Utf16BothByteOrders) {
  const text::Charset& le = Set("unicode");
  const text::Charset& be = Set("unicodeFFFE");
  EXPECT_EQ(le.Encode(u"A中"), std::string("A\0\x2D\x4E", 4));
  EXPECT_EQ(be.Encode(u"A中"), std::string("\0A\x4E\x2D", 4));
  EXPECT_EQ(le.Decode(std::string("A\0\x2D\x4E", 4)), u"A中");
  EXPECT_EQ(be.Decode(std::string("\0A\x4E\x2D", 4)), u"A中");
  EXPECT_EQ(le.Decode(std::string("A\0B", 3)), u"A\uFFFD");  // half a unit at the end
  const vb::String lone = {0xD800, u'x'};  // kept as it is
  EXPECT_EQ(le.Decode(le.Encode(lone)), lone);
}

TEST(Charsets, Utf8) {
  const text::Charset& utf8 = Set("utf-8");
  EXPECT_EQ(utf8.Encode(u"中€\U0001F600"), "\xE4\xB8\xAD\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(utf8.Decode("\xE4\xB8\xAD\xFFz"), u"中\uFFFDz");
}

TEST(Charsets, Windows1252ForLatin1Labels) {
  const text::Charset& latin = Set("iso-8859-1");
  EXPECT_EQ(latin.Decode("\x80\x81\x9F\xE9\xFF"), u"€\u0081Ÿéÿ");
  EXPECT_EQ(latin.Encode(u"€Ÿé\u0081中\u0080"), "\x80\x9F\xE9\x81??");
}

TEST(Charsets, AsciiReplacesEverythingAbove127) {
  const text::Charset& ascii = Set("us-ascii");
  EXPECT_EQ(ascii.Decode("a\xE9z"), u"a?z");
  EXPECT_EQ(ascii.Encode(u"aéz"), "a?z");
}

TEST(Charsets, Big5ThroughIconv) {
  const text::Charset& big5 = Set("big5");
  EXPECT_EQ(big5.Encode(u"中文"), "\xA4\xA4\xA4\xE5");
  EXPECT_EQ(big5.Decode("\xA4\xA4\xA4\xE5"), u"中文");
  EXPECT_EQ(big5.Decode("a\xA4"), u"a?");       // cut off at the end
  EXPECT_EQ(big5.Decode("\xA4<b"), u"?<b");     // no trail byte: "<" survives
  EXPECT_EQ(big5.Encode(u"À中\U0001F600"), "?\xA4\xA4??");
  EXPECT_EQ(big5.Decode(""), u"");
}

TEST(Charsets, AnsiCharsetIsCodePage936) {
  const text::Charset& ansi = text::AnsiCharset();
  EXPECT_EQ(ansi.Encode(u"中€"), "\xD6\xD0\x80");
  EXPECT_EQ(ansi.Decode("\xD6\xD0\x80"), u"中€");
  EXPECT_EQ(ansi.Name(), "gb2312");
}

}  // namespace
