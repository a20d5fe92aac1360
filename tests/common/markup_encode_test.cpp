// The encoders for values read from requests and records: what each one
// touches, that plain values come out unchanged, and that nothing it leaves
// can end the place it lands in.
#include <gtest/gtest.h>

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

// Text a template places into an attribute value: only what would end the
// value becomes a reference; where the value is a script or a style, also
// every "&" that would start one (so it reads back exactly), while a query's
// "&name=" stays as it is.
TEST(AttributeValues, EncodeWhatWouldEndTheValue) {
  using qe::AttributeQuote;
  const struct {
    bool exact;
    AttributeQuote quote;
    vb::String text, expected;
  } cases[] = {
      {false, AttributeQuote::kDouble, u"a.gif?x=1&amp;y='2' `<b>`", u"a.gif?x=1&amp;y='2' `<b>`"},
      {false, AttributeQuote::kDouble, u"x\" onerror=\"y", u"x&quot; onerror=&quot;y"},
      {false, AttributeQuote::kSingle, u"it's \"", u"it&#39;s \""},
      {false, AttributeQuote::kNone, u"red&#32;中文=#F00", u"red&#32;中文=#F00"},
      {false, AttributeQuote::kNone, u"a b\tc\r\nd\fe", u"a&#32;b&#9;c&#13;&#10;d&#12;e"},
      {false, AttributeQuote::kNone, u"'\"`<>", u"&#39;&#34;&#96;&#60;&#62;"},
      {true, AttributeQuote::kDouble, u"a.asp?x=1&id=2&&y=&", u"a.asp?x=1&id=2&&y=&"},
      {true, AttributeQuote::kDouble, u"x&#39;y&#x27;z&#0000039", u"x&amp;#39;y&amp;#x27;z&amp;#0000039"},
      {true, AttributeQuote::kDouble, u"&apos;&quot;&NewLine;&bsol;&x;",
       u"&amp;apos;&amp;quot;&amp;NewLine;&amp;bsol;&amp;x;"},
      // The old names without ";", unless a letter, digit or "=" follows.
      {true, AttributeQuote::kDouble, u"&quot &lt/ &copy=1 &quotx &notin", u"&amp;quot &amp;lt/ &copy=1 &quotx &notin"},
      {true, AttributeQuote::kDouble, u"&#x;&#;&# 1", u"&#x;&#;&# 1"},
      {true, AttributeQuote::kSingle, u"x' y=\"z\" &#39;", u"x&#39; y=\"z\" &amp;#39;"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.exact ? qe::AttributeValueExact(c.text, c.quote) : qe::AttributeValueKeepingReferences(c.text, c.quote),
              c.expected)
        << vb::ToUtf8(c.text);
}

TEST(StyleUrlEscape, EscapesWhatWouldEndTheUrl) {
  qe_test::ExpectEach<vb::String>(qe::StyleUrlEscape,
                                  Cases{{u"/image/a-b_c.asp?x=1&y=%20#z:;", u"/image/a-b_c.asp?x=1&y=%20#z:;"},
                                        {u"标题.jpg", u"标题.jpg"},
                                        {u"x);color:red", u"x\\29 ;color:red"},
                                        {u"a(b c\td'e\"f\\g", u"a\\28 b\\20 c\\9 d\\27 e\\22 f\\5c g"},
                                        {u"\r\n\x7f", u"\\d \\a \\7f "}});
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
