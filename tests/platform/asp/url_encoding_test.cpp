#include "platform/asp/url_encoding.h"

#include <gtest/gtest.h>

namespace asp {
namespace {

String Utf8Decode(std::string_view bytes) { return vb::FromUtf8(bytes); }
std::string Utf8Encode(StringView text) { return vb::ToUtf8(text); }

// Restores code page 936 however the test ends.
class CodecSwap {
 public:
  explicit CodecSwap(TextCodec codec) { SetTextCodec(codec); }
  ~CodecSwap() { SetTextCodec({}); }
};

TEST(PercentDecode, EscapesPlusAndMalformedEscapes) {
  struct Case {
    const char* in;
    const char16_t* out;
  };
  const Case cases[] = {
      {"a%41b", u"aAb"},     {"%4a%4A", u"JJ"},   {"x+y", u"x y"},     {"%2B", u"+"},
      {"%zz", u"%zz"},       {"%4", u"%4"},       {"%4z1", u"%4z1"},   {"%", u"%"},
      {"100%", u"100%"},     {"%%41", u"%A"},     {"%D6%D0", u"中"},  {"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlDecode(c.in), c.out) << c.in;
}

TEST(PercentDecode, PathsKeepPlus) { EXPECT_EQ(PercentDecodeBytes("/a+b%20c", false), "/a+b c"); }

TEST(ParseUrlEncoded, KeepsOrderEmptyValuesAndSkipsEmptyPieces) {
  NameValueList pairs = ParseUrlEncoded("b=2&&a=1&flag&=x&b=3&c=");
  NameValueList expected = {{u"b", u"2"}, {u"a", u"1"}, {u"flag", u""}, {u"", u"x"}, {u"b", u"3"}, {u"c", u""}};
  EXPECT_EQ(pairs, expected);
  NameValueList decoded = ParseUrlEncoded("na%6De=a%3Db%26c");
  EXPECT_EQ(decoded, (NameValueList{{u"name", u"a=b&c"}}));
}

// The whole text decides: code page 936 when its bytes read so (even when
// they are UTF-8 too), UTF-8 when only UTF-8 reads them, the code page's "?"
// when neither does.
TEST(ParseUrlEncoded, ReadsCodePageTextElseUtf8) {
  const std::pair<const char*, NameValueList> cases[] = {
      {"a=%D6%D0%CE%C4", {{u"a", u"中文"}}},
      {"a=%E5%9B%BE%E8%A1%A8", {{u"a", u"鍥捐〃"}}},
      {"a=%E6%A0%A1", {{u"a", u"校"}}},
      {"p_CurrentFile=%E6%88%90%E7%BB%A9%E8%A1%A8.xls", {{u"p_CurrentFile", u"成绩表.xls"}}},
      {"Title=%E5%9B%BE%E8%A1%A8&%E6%A0%A1=x+y", {{u"Title", u"图表"}, {u"校", u"x y"}}},
      {"a=%81&b=%D6%D0", {{u"a", u"?"}, {u"b", u"中"}}},
  };
  for (const auto& [text, pairs] : cases) EXPECT_EQ(ParseUrlEncoded(text), pairs) << text;
}

TEST(UrlEncode, KeepsOnlyLettersAndDigits) {
  EXPECT_EQ(UrlEncode(u"Ab9 x.y-z_~/?"), u"Ab9+x%2Ey%2Dz%5F%7E%2F%3F");
  EXPECT_EQ(UrlEncode(u"\u00e9"), u"%A8%A6");
  EXPECT_EQ(UrlEncode(u"\u4e2d"), u"%D6%D0");
  // Code page 936 cannot hold it: the code page's "?".
  EXPECT_EQ(UrlEncode(u"\u00ff"), u"%3F");
}

TEST(UrlEncode, GoesThroughThePluggedCodec) {
  CodecSwap utf8({&Utf8Decode, &Utf8Encode});
  EXPECT_EQ(UrlEncode(u"\u4e2d a"), u"%E4%B8%AD+a");
  EXPECT_EQ(UrlDecode("%E4%B8%AD+a"), u"\u4e2d a");
  EXPECT_EQ(UrlDecode(EncodeText(UrlEncode(u"x=\u4e2d&y"))), u"x=\u4e2d&y");
}

TEST(HtmlEncode, EncodesMarkupCharactersOnly) {
  EXPECT_EQ(HtmlEncode(u"<a href=\"x\">&amp;'\u4e2d</a>"),
            u"&lt;a href=&quot;x&quot;&gt;&amp;amp;'\u4e2d&lt;/a&gt;");
}

}  // namespace
}  // namespace asp
