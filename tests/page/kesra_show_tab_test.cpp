// The tab strip: its styles with and without a background, and the strip's
// links and boxes for the titles and contents a page passes in arrays.
#include "page/kesra_show_tab.h"

#include <gtest/gtest.h>

#include "platform/vb/error.h"
#include "support/html_parse.h"

namespace {

using vb::String;

vb::Variant Items(std::vector<vb::Variant> items) { return vb::Variant(vb::Array::OfVariants(std::move(items))); }

TEST(TabStrip, TheBackgroundGoesIntoBothListRules) {
  const String plain = qe::KesraShowTab(u"");
  EXPECT_EQ(plain.find(u"background:#"), String::npos);
  EXPECT_NE(plain.find(u"#contentwrapper { float: left; width: 100%;float: left; width: 97%;margin: 0px 0px 0px 10px}"),
            String::npos);
  const String coloured = qe::KesraShowTab(u"#fff");
  EXPECT_NE(coloured.find(u"margin: 0px 0px 0px 10px;background:#fff;}"), String::npos);
  EXPECT_NE(coloured.find(u"padding-top: 0px; list-style-type: none;background:#fff;}"), String::npos);
  EXPECT_TRUE(coloured.ends_with(
      u"<script language=javascript>function showBlockTabN(iTabnum, iTabcnt){"
      u"for(var p_i=0;p_i < iTabcnt;p_i++){document.getElementById('dTabcontent_'+p_i).style.display='none';}"
      u"for(var p_i=0;p_i < iTabcnt;p_i++){document.getElementById('sTabmenu_'+p_i).className='';}"
      u"document.getElementById('sTabmenu_'+iTabnum).className='current';"
      u"document.getElementById('dTabcontent_'+iTabnum).style.display='block';}</script>"));
}

TEST(TabStrip, OneLinkAndOneBoxPerTitle) {
  vb::Variant titles = Items({vb::Variant(u"通知"), vb::Variant(u"<b>日志</b>"), vb::Variant::Null()});
  vb::Variant contents = Items({vb::Variant(u"<li>一</li>"), vb::Variant(u"二"), vb::Variant(int32_t{3})});
  const String out = qe::KesraShowTabAndContent(u"", titles, contents, u"100%", u"360");
  const String strip = out.substr(qe::KesraShowTab(u"").size());
  EXPECT_EQ(strip,
            u"<div id=contentwrapper><div class=Tab_Content><ul>"
            u"<li><a class=current  id='sTabmenu_0' onmouseover='showBlockTabN(0, 3);'><div class=textwrap>通知</div></a>"
            u"<li><a  id='sTabmenu_1' onmouseover='showBlockTabN(1, 3);'><div class=textwrap><b>日志</b></div></a>"
            u"<li><a  id='sTabmenu_2' onmouseover='showBlockTabN(2, 3);'><div class=textwrap></div></a>"
            u"</li></ul></div><div class=Tab_Title>"
            u"<div id='dTabcontent_0'><ul class=newsfield><table cellSpacing=0 cellPadding=0 width='100%' border=0 "
            u"bgcolor=#eeeeff><tr><td valign=top align=left width='100%'><div style='height:360px;overflow-y:auto;'>"
            u"<ul class=newsfield><li>一</li></ul></div></td></tr></table></ul></div>"
            u"<div id='dTabcontent_1' style='display:none'><ul class=newsfield><table cellSpacing=0 cellPadding=0 "
            u"width='100%' border=0 bgcolor=#eeeeff><tr><td valign=top align=left width='100%'>"
            u"<div style='height:360px;overflow-y:auto;'><ul class=newsfield>二</ul></div></td></tr></table></ul></div>"
            u"<div id='dTabcontent_2' style='display:none'><ul class=newsfield><table cellSpacing=0 cellPadding=0 "
            u"width='100%' border=0 bgcolor=#eeeeff><tr><td valign=top align=left width='100%'>"
            u"<div style='height:360px;overflow-y:auto;'><ul class=newsfield>3</ul></div></td></tr></table></ul></div>"
            u"</div></div>");
}

TEST(TabStrip, ArgumentsThatAreNoArraysOrTooShort) {
  auto error_of = [](vb::Variant titles, vb::Variant contents) {
    try {
      qe::KesraShowTabAndContent(u"", titles, contents, u"100%", u"360");
    } catch (const vb::Error& e) {
      return e.Number();
    }
    return 0;
  };
  EXPECT_EQ(error_of(vb::Variant(u""), Items({})), 13);
  EXPECT_EQ(error_of(Items({vb::Variant(u"a")}), vb::Variant(u"")), 13);
  EXPECT_EQ(error_of(Items({vb::Variant(u"a"), vb::Variant(u"b")}), Items({vb::Variant(u"x")})), 9);
  EXPECT_EQ(error_of(Items({}), Items({})), 0);
}

}  // namespace
