// The HTML and text encoders: what each one touches, in which order.
#include <gtest/gtest.h>

#include "../platform/vb/raises.h"
#include "common/kesra_html_encode.h"
#include "platform/vb/strings.h"
#include "support/case_table.h"

namespace {

using qe_test::Printable;
using Cases = std::vector<std::pair<vb::String, vb::String>>;

void ExpectEach(vb::String (*encoder)(vb::StringView), const Cases& cases) { qe_test::ExpectEach(encoder, cases); }

TEST(KesraHtmlEncode, EncodesEachCharacterOnceAndKeepsRunsOfBlanksVisible) {
  ExpectEach(qe::KesraHtmlEncode,
             {{u"a b", u"a b"},
              {u"a  b", u"a&nbsp;&nbsp;b"},
              {u" a ", u"&nbsp;a&nbsp;"},
              {u" ", u"&nbsp;"},
              {u"a \tb", u"a&nbsp;    b"},
              {u"a\r\nb", u"a<br>\nb"},
              {u"a\nb", u"a\nb"},
              {u"<i class=\"x\">&", u"&lt;i class=&quot;x&quot;&gt;&amp;"},
              {u"&lt;", u"&amp;lt;"},
              {u"中 文", u"中 文"},
              {u"", u""}});
}

TEST(KesraHtmlEncode, LongTextsOverflow) {
  EXPECT_EQ(qe::KesraHtmlEncode(vb::String(32767, u'a')).size(), 32767u);
  EXPECT_RAISES(vb::kOverflow, qe::KesraHtmlEncode(vb::String(32768, u'a')));
}

TEST(KesraHtmlEncode2, EncodesMultiLineTextWithParagraphs) {
  ExpectEach(qe::KesraHtmlEncode2,
             {{u"one\r\n\r\ntwo", u"one</P><P> two"},
              {u"one\r\ntwo", u"one<BR> two"},
              {u"a\n\n\nb", u"a</P><P> <BR> b"},
              {u"a b\tc", u"a&nbsp;b&nbsp;c"},
              {u"<'\">", u"&lt;&#39;&quot;&gt;"},
              {u"&lt;", u"&lt;"}});  // "&" is left alone
}

TEST(KesraHtmlUnEncode2, ReadsBackWhatHtmlEncode2Wrote) {
  ExpectEach(qe::KesraHtmlUnEncode2,
             {{u"one</P><P> two", u"one\n\ntwo"},
              {u"one<BR> two", u"one\ntwo"},
              {u"one<br> two</p><p> x", u"one<br> two</p><p> x"},  // capitals only
              {u"&lt;&#39;&quot;&gt;&nbsp;", u"<'\"> "},
              {u"&amp;", u"&amp;"}});
  EXPECT_EQ(qe::KesraHtmlUnEncode2(qe::KesraHtmlEncode2(u"&lt; a\tb\r\nc")), u"< a b\nc");
}

TEST(KesraNoHtml, ReplacesEachTagByABlank) {
  ExpectEach(qe::KesraNoHtml,
             {{u"<b>word</b>", u" word "},
              {u"<B>x</B>", u" x "},
              {u"a < b", u"a < b"},         // no closing ">"
              {u"<a <b>c", u"<a  c"},       // a tag holds no "<"
              {u"x<br/>y<p class=\"z\">", u"x y "},
              {u"1 <> 2", u"1 <> 2"},       // "<" needs one character before ">"
              {u"plain", u"plain"}});
}

TEST(KesraEncodeString2, PreparesTrimmedTextForTheUbbConverter) {
  ExpectEach(qe::KesraEncodeString2,
             {{u"  it's <b>  ", u"it\"s &lt;b&gt;"},
              {u"a\r\n\r\nb\r\nc", u"a</p><p>b<br>c"},
              {u"a\rb\nc", u"a\rb\nc"},
              {u"a   b", u"a\u3000 b"},
              {u"a    b", u"a\u3000\u3000b"},
              {u"&\"", u"&\""}});
}

TEST(KesraEncodeString, EncodesTheFiveEntityCharactersAndDecodesThemOnce) {
  ExpectEach(qe::KesraEncodeString,
             {{u" <a href='x'>&</a> ", u" &lt;a href=&#39;x&#39;&gt;&amp;&lt;/a&gt; "},
              {u"\"q\"", u"&quot;q&quot;"},
              {u"   ", u""},
              {u"", u""}});
  ExpectEach(qe::KesraUnEncodeString,
             {{u" &lt;b&gt; ", u"<b>"},
              {u"&amp;lt;", u"&lt;"},  // decoded once
              {u"&#39;&quot;", u"'\""},
              {u"   ", u""}});
  for (const vb::String text : {u"  <a href=\"x\">it's & more</a>  ", u"&amp;&lt;", u"中文"}) {
    SCOPED_TRACE(Printable(text));
    EXPECT_EQ(qe::KesraUnEncodeString(qe::KesraEncodeString(text)), vb::Trim(text));
  }
}

}  // namespace
