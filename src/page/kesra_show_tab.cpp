#include "page/kesra_show_tab.h"

#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/operators.h"

namespace qe {
namespace {

using vb::String;

String Decimal(int32_t value) { return vb::FromUtf8(std::to_string(value)); }

const vb::Array& ArrayOf(const vb::Variant& value) {
  if (!value.IsArray()) vb::Raise(vb::kTypeMismatch);
  return value.As<vb::Array>();
}

// Item `offset` of a one-dimensional array as text (Null as "").
String ItemText(const vb::Array& items, int32_t offset) {
  return vb::CStr(vb::Concat(vb::Variant(String()), items.Get({items.LBound() + offset})));
}

}  // namespace

String KesraShowTab(String p_BgColor) {
  const String background = p_BgColor.empty() ? String() : u"background:" + p_BgColor + u";";
  String out = u"<style>";
  out += u"#contentwrapper { float: left; width: 100%;float: left; width: 97%;margin: 0px 0px 0px 10px";
  if (!p_BgColor.empty()) out += u";" + background;
  out += u"}";
  out += u"UL.newsfield {padding-right: 0px; padding-left: 0px; padding-bottom: 0px; margin: 0px 0px 2px; "
         u"padding-top: 0px; list-style-type: none;" + background + u"}";
  out += u"UL.newsfield LI {padding-right: 0px; padding-left: 12px; padding-bottom: 0px; padding-top: 3px; "
         u"border-bottom: #cccccc 1px dashed}"
         u"UL.newsfield LI img{opacity:0.5;}"
         u"UL.newsfield LI.pager {background -Image: none}"
         u".textwrap {padding-top: 4px}"
         u".Tab_Title {CLEAR: left; border-right: #6394c3 1px solid; padding-right: 8px; padding-left: 8px; "
         u"background: #ffffff; margin-bottom: 12px; padding-bottom: 3px; border-left: #6394c3 1px solid; "
         u"padding-top: 3px; border-bottom: #6394c3 1px solid}"
         u".Tab_Content {background: url(../comm/image/kesra_tab_bg.asp) repeat-x 50% bottom; float: left; "
         u"width: 100%; text-align: center}"
         u".Tab_Content UL {font-size: 13px; margin: 0px; list-style-type: none}"
         u".Tab_Content LI {display: inline; margin: 0px}"
         u".Tab_Content LI A {display: block; background: url(../comm/image/kesra_tab_title2.asp) left top; "
         u"float: left; width: 93px; color: #1e5792; margin-right: 1px; height: 26px; text-decoration: none}"
         u".Tab_Content LI A:hover {background: url(../comm/image/kesra_tab_title1.asp) left top; "
         u"text-decoration: none}"
         u".Tab_Content LI A.current {background: url(../comm/image/kesra_tab_title1.asp) left top; color: black; "
         u"text-decoration: none}";
  out += u"</style>";
  out += u"<script language=javascript>"
         u"function showBlockTabN(iTabnum, iTabcnt){"
         u"for(var p_i=0;p_i < iTabcnt;p_i++){"
         u"document.getElementById('dTabcontent_'+p_i).style.display='none';"
         u"}"
         u"for(var p_i=0;p_i < iTabcnt;p_i++){"
         u"document.getElementById('sTabmenu_'+p_i).className='';"
         u"}"
         u"document.getElementById('sTabmenu_'+iTabnum).className='current';"
         u"document.getElementById('dTabcontent_'+iTabnum).style.display='block';"
         u"}"
         u"</script>";
  return out;
}

String KesraShowTabAndContent(String p_BgColor, vb::Variant& p_ArrayTabTitle, vb::Variant& p_ArrayTabContent,
                              String p_TabWidth, String p_TabHeight) {
  const vb::Array& titles = ArrayOf(p_ArrayTabTitle);
  const vb::Array& contents = ArrayOf(p_ArrayTabContent);
  const int32_t count = titles.UBound() - titles.LBound() + 1;
  const String count_text = Decimal(count);

  String out = KesraShowTab(p_BgColor) + u"<div id=contentwrapper><div class=Tab_Content><ul>";
  for (int32_t i = 0; i < count; ++i) {
    out += u"<li><a ";
    if (i == 0) out += u"class=current ";
    out += u" id='sTabmenu_" + Decimal(i) + u"' onmouseover='showBlockTabN(" + Decimal(i) + u", " + count_text +
           u");'><div class=textwrap>" + ItemText(titles, i) + u"</div></a>";
  }
  out += u"</li></ul></div>";
  out += u"<div class=Tab_Title>";
  for (int32_t i = 0; i < count; ++i) {
    out += u"<div id='dTabcontent_" + Decimal(i) + u"'";
    if (i > 0) out += u" style='display:none'";
    out += u"><ul class=newsfield><table cellSpacing=0 cellPadding=0 width='" + p_TabWidth +
           u"' border=0 bgcolor=#eeeeff><tr><td valign=top align=left width='100%'><div style='height:" +
           p_TabHeight + u"px;overflow-y:auto;'><ul class=newsfield>" + ItemText(contents, i) +
           u"</ul></div></td></tr></table></ul></div>";
  }
  return out + u"</div></div>";
}

}  // namespace qe
