// The markup guard's own rules, beyond what the filter's tests show: the
// handlers it keeps, the select rule, and a result that reads the same again.
#include "editors/active_markup.h"

#include <gtest/gtest.h>

#include "support/live_markup.h"
#include "support/printable.h"

namespace {

using qe::markup::KeptHandler;
using qe::markup::NeutralizeActiveMarkup;

TEST(ActiveMarkup, KeepsOnlyTheNamedHandlersWithTheirExactValues) {
  const KeptHandler kept[] = {{u"onfocus", u"this.blur()"}};
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"<a onfocus=this.blur()>", u"<a onfocus=this.blur()>"},
      {u"<a ONFOCUS=\"this.blur&#40;)\">", u"<a ONFOCUS=\"this.blur&#40;)\">"},
      {u"<a onfocus=\"this.blur();x()\">", u"<a &#111nfocus=\"this.blur();x()\">"},
      {u"<a onblur=this.blur()>", u"<a &#111nblur=this.blur()>"},
  };
  for (const auto& [html, expected] : cases)
    EXPECT_EQ(NeutralizeActiveMarkup(html, kept), expected) << qe_test::Printable(html);
}

TEST(ActiveMarkup, RawTextAfterASelectIsShownAsText) {
  EXPECT_EQ(NeutralizeActiveMarkup(u"<select><option>a</select><iframe src=a.htm><b onfocus=x></iframe>"),
            u"<select><option>a</select>&lt;iframe src=a.htm><b &#111nfocus=x></iframe>");
  // Before any select, the same content stays text.
  EXPECT_EQ(NeutralizeActiveMarkup(u"<iframe src=a.htm><b onfocus=x></iframe><select>"),
            u"<iframe src=a.htm><b onfocus=x></iframe><select>");
}

TEST(ActiveMarkup, ShowsTagsAsTextWhereverTheyStand) {
  EXPECT_EQ(NeutralizeActiveMarkup(u"<a title=\"<script>\"><!-- <meta> --><svg>"),
            u"<a title=\"&lt;script>\"><!-- &lt;meta> -->&lt;svg>");
  EXPECT_EQ(NeutralizeActiveMarkup(u"<scripts><metadata><svgx>"), u"<scripts><metadata><svgx>");
  EXPECT_EQ(NeutralizeActiveMarkup(u"<frameset><FRAME/><applet\n>"), u"&lt;frameset>&lt;FRAME/>&lt;applet\n>");
}

TEST(ActiveMarkup, DropsNulsThatAReaderCouldSkip) {
  EXPECT_EQ(NeutralizeActiveMarkup(vb::String(u"<b \0onclick=x java\0script>", 26)), u"<b &#111nclick=x javascript>");
}

TEST(ActiveMarkup, TextWithoutMarkupComesBackAsItIs) {
  for (const char16_t* text : {u"", u"a < b and c > d", u"javascript:alert(1)", u"onclick=x", u"<b>bold</b>",
                               u"<a href=\"x.htm\">link</a><img src=\"p.gif\">"})
    EXPECT_EQ(NeutralizeActiveMarkup(text), text) << qe_test::Printable(text);
}

TEST(ActiveMarkup, ItsResultReadsTheSameAgain) {
  for (const char16_t* text : {
           u"<img src=x onerror=alert(1) onerror=alert(2)>",
           u"<select><iframe title=\"<img src=x onfocus=a>\"></select><img src=x onblur=b>",
           u"<a href=javascript:x href=javascript:y>",
           u"<noscript><noscript><img src=x onload=x></noscript>",
           u"<a title='<a href=\"javascript:x\" onclick=y>'>",
       }) {
    const vb::String once = NeutralizeActiveMarkup(text);
    EXPECT_EQ(NeutralizeActiveMarkup(once), once) << qe_test::Printable(text);
    EXPECT_EQ(qe_test::LiveMarkup(once), std::vector<std::string>{}) << qe_test::Printable(once);
  }
}

}  // namespace
