// The encoders for values read from requests and records: what each one
// touches, that plain values come out unchanged, and that nothing it leaves
// can end the place it lands in.
#include <gtest/gtest.h>

#include <tuple>

#include "common/markup_encode.h"
#include "common/script_text.h"
#include "support/case_table.h"

namespace {

using Cases = std::vector<std::pair<vb::String, vb::String>>;

TEST(HtmlEncodeText, EncodesTheFiveMarkupCharactersOnly) {
  qe_test::ExpectEach<vb::String>(qe::HtmlEncodeText,
                                  Cases{{u"", u""},
                                        {u"通知 2024-01 a=b `x`", u"通知 2024-01 a=b `x`"},
                                        {u"<script>", u"&lt;script&gt;"},
                                        {u"a&b", u"a&amp;b"},
                                        {u"&amp;", u"&amp;amp;"},
                                        {u"'x' \"y\"", u"&#39;x&#39; &quot;y&quot;"},
                                        {u"\r\n\t", u"\r\n\t"}});
}

TEST(HtmlEncodeUnquoted, AlsoEncodesWhatEndsOrSplitsAnUnquotedValue) {
  qe_test::ExpectEach<vb::String>(qe::HtmlEncodeUnquoted,
                                  Cases{{u"", u""},
                                        {u"12", u"12"},
                                        {u"中文_a-b.c", u"中文_a-b.c"},
                                        {u"1 onmouseover=alert(1)", u"1&#32;onmouseover&#61;alert(1)"},
                                        {u"a\tb\r\nc\fd", u"a&#9;b&#13;&#10;c&#12;d"},
                                        {u"`x`>'\"&", u"&#96;x&#96;&gt;&#39;&quot;&amp;"}});
}

TEST(AttributeValueKeepingReferences, EncodesOnlyWhatWouldEndTheValue) {
  using qe::AttributeQuote;
  const std::tuple<AttributeQuote, vb::String, vb::String> cases[] = {
      {AttributeQuote::kDouble, u"a.gif?x=1&amp;y='2' `<b>`", u"a.gif?x=1&amp;y='2' `<b>`"},
      {AttributeQuote::kDouble, u"x\" onerror=\"y", u"x&quot; onerror=&quot;y"},
      {AttributeQuote::kSingle, u"it's \"", u"it&#39;s \""},
      {AttributeQuote::kNone, u"red&#32;中文=#F00", u"red&#32;中文=#F00"},
      {AttributeQuote::kNone, u"a b\tc\r\nd\fe", u"a&#32;b&#9;c&#13;&#10;d&#12;e"},
      {AttributeQuote::kNone, u"'\"`<>", u"&#39;&#34;&#96;&#60;&#62;"},
  };
  for (const auto& [quote, text, expected] : cases)
    EXPECT_EQ(qe::AttributeValueKeepingReferences(text, quote), expected) << vb::ToUtf8(text);
}

TEST(QueryValueEncode, PercentEncodesWhatWouldChangeTheQueryAndKeepsChinese) {
  qe_test::ExpectEach<vb::String>(qe::QueryValueEncode,
                                  Cases{{u"", u""},
                                        {u"nclass", u"nclass"},
                                        {u"教务处/a-b_c.~!*()?", u"教务处/a-b_c.~!*()?"},
                                        {u"%&+#=", u"%25%26%2B%23%3D"},
                                        {u"\"'<>` ", u"%22%27%3C%3E%60%20"},
                                        {u"a\x01\x1f\x7f" u"b", u"a%01%1F%7Fb"},
                                        {u"x\"><script>alert(1)</script>",
                                         u"x%22%3E%3Cscript%3Ealert(1)%3C/script%3E"}});
}

TEST(HeaderValueEncode, KeepsPlainPathsAndEncodesEverythingElseInCodePage936) {
  qe_test::ExpectEach<vb::String>(qe::HeaderValueEncode,
                                  Cases{{u"", u""},
                                        {u"/Data_UploadFiles/a-b_c.~x.swf", u"/Data_UploadFiles/a-b_c.~x.swf"},
                                        {u"A&B #1 100%", u"A%26B%20%231%20100%25"},
                                        {u"报告", u"%B1%A8%B8%E6"},
                                        {u"a\r\nLocation: x", u"a%0D%0ALocation%3A%20x"},
                                        {u"?=+'\"<>\\", u"%3F%3D%2B%27%22%3C%3E%5C"},
                                        // What the code page cannot hold is its question mark.
                                        {u"\u20AC\U0001F600", u"%80%3F%3F"}});
}

TEST(ScriptStringEscape, EscapesBothQuotesSoEitherStringCanHoldTheText) {
  qe_test::ExpectEach<vb::String>(qe::ScriptStringEscape,
                                  Cases{{u"备份 2024.mdb", u"备份 2024.mdb"},
                                        {u"it's", u"it\\'s"},
                                        {u"say \"x\"", u"say \\\"x\\\""},
                                        {u"a\\b", u"a\\\\b"},
                                        {u"</script>", u"<\\/script>"}});
}

}  // namespace
