// The one decision on addresses written into pages from input: what could run
// a script never passes, however it is spelled; ordinary addresses do.
#include <gtest/gtest.h>

#include "common/page_address.h"

namespace {

TEST(PageAddress, OnlyWebAddressesAndSitePathsPass) {
  struct Case {
    const char16_t* address;
    bool passes;
  } cases[] = {
      {u"", true},
      {u"/upload/a.jpg", true},
      {u"../upload/a b.jpg", true},
      {u"upload/中文.mp3", true},
      {u"a.jpg?x=1:2#t:3", true},  // a colon after the path starts is no scheme
      {u"http://www.school.cn/a.jpg", true},
      {u"HTTPS://www.school.cn/a.swf", true},
      {u"//cdn.school.cn/a.png", true},
      {u"50%25.jpg", true},
      {u"a&amp;b.jpg", true},
      {u"javascript:alert(1)", false},
      {u"JaVaScRiPt:alert(1)", false},
      {u"data:text/html,<script>x()</script>", false},
      {u"vbscript:msgbox(1)", false},
      {u"rtsp://media.school.cn/a.rm", false},
      {u"  javascript:x", false},
      {u"\x01\x1fjavascript:x", false},
      {u"java\tscript:x", false},
      {u"java\r\nscript:x", false},
      {u"javascript\x0b:x", false},
      {u"javascript&colon;x", false},
      {u"javascript&#58;x", false},
      {u"javascript&#x3A;x", false},
      {u"javascript&#X3A;x", false},
      {u"javascript&#0000058x", false},
      // References of any length, as browsers read them.
      {u"javascript&#0000000058;alert(1)", false},
      {u"javascript&#00000000000000000058alert(1)", false},
      {u"javascript&#x000000003A;x", false},
      {u"&#x0000000006a;avascript:x", false},
      {u"java&#0000000009;script:x", false},
      {u"javascript&#99999999999999999999;x", true},  // U+FFFD: no scheme
      {u"/a.asp?x=1&#000", true},
      {u"&#106;avascript:x", false},
      {u"java&Tab;script:x", false},
      {u"javascript%3Ax", false},
      {u"%6Aavascript:x", false},
      {u"javascript%253Ax", false},   // decoded twice
      {u"javascript%26%2358;x", false},  // a reference behind an escape
      {u"c:\\windows\\a.jpg", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(qe::IsPageAddress(c.address), c.passes) << vb::ToUtf8(c.address);
    EXPECT_EQ(qe::PageAddressOrInert(c.address), c.passes ? vb::String(c.address) : vb::String(u"#"))
        << vb::ToUtf8(c.address);
  }
}

// An address goes in judged, then escaped for where it lands: nothing in it
// ends the value, the script string or the url() it stands in, and an
// ordinary address comes out byte for byte.
TEST(PageAddress, EscapedForWhereItLands) {
  using qe::AttributeQuote;
  const vb::String ordinary = u"../up/a-b_c.asp?x=1&y=%20+~#top:1";
  struct Case {
    vb::String (*written)(vb::StringView);
    const char16_t* address;
    const char16_t* expected;
  } cases[] = {
      {[](vb::StringView a) { return qe::PageAddressInAttribute(a, AttributeQuote::kSingle); },
       u"x' onerror='y&#39;", u"x&#39; onerror=&#39;y&#39;"},
      {[](vb::StringView a) { return qe::PageAddressInAttribute(a, AttributeQuote::kDouble); },
       u"x\" onload=\"y'", u"x&quot; onload=&quot;y'"},
      {[](vb::StringView a) { return qe::PlayerAddressInAttribute(a, AttributeQuote::kSingle); },
       u"rtsp://m.cn/a'b", u"rtsp://m.cn/a&#39;b"},
      {[](vb::StringView a) { return qe::PageAddressInScript(a); }, u"x\");alert(1)</script>\\\n",
       u"x\\\");alert(1)<\\/script>\\\\\\n"},
      {[](vb::StringView a) { return qe::PageAddressInAttributeScript(a, AttributeQuote::kDouble); },
       u"x');y(\"&#39;&apos;", u"x\\');y(\\&quot;&amp;#39;&amp;apos;"},
      {[](vb::StringView a) { return qe::PageAddressInStyle(a, AttributeQuote::kSingle); }, u"x);b=url(y' &#41;",
       u"x\\29 ;b=url\\28 y\\27 \\20 &amp;#41;"},
      {[](vb::StringView a) { return qe::PageAddressInStyle(a, AttributeQuote::kSingle); }, u"javascript:x", u"#"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.written(c.address), c.expected) << vb::ToUtf8(c.address);
    EXPECT_EQ(c.written(ordinary), ordinary);
  }
}

// A player's source may also be a stream; nothing else changes.
TEST(PageAddress, PlayersTakeStreamsToo) {
  for (const char16_t* stream : {u"rtsp://media.school.cn/a.rm", u"MMS://media.school.cn/a.wmv", u"rtmp://m.cn/v"}) {
    EXPECT_FALSE(qe::IsPageAddress(stream)) << vb::ToUtf8(stream);
    EXPECT_EQ(qe::PlayerAddressOrInert(stream), stream) << vb::ToUtf8(stream);
  }
  for (const char16_t* hostile : {u"javascript:x", u" \x01vbscript:x", u"vbscript&#58;x", u"data:,x",
                                  u"java\tscript:x"})
    EXPECT_EQ(qe::PlayerAddressOrInert(hostile), u"#") << vb::ToUtf8(hostile);
  EXPECT_EQ(qe::PlayerAddressOrInert(u"/upload/a.rm"), u"/upload/a.rm");
}

}  // namespace
