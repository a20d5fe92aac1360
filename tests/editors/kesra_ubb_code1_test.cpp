// The script filter and the second UBB converter: their rules' edge cases,
// and each mend with its attack and its ordinary twin.
#include "editors/kesra_ubb_code1.h"

#include <gtest/gtest.h>

#include "support/case_table.h"
#include "support/live_markup.h"
#include "support/printable.h"

namespace {

template <class Procedure>
void ExpectEach(Procedure procedure, const std::vector<std::pair<vb::String, vb::String>>& cases) {
  qe_test::ExpectEach<vb::String>([&](const vb::String& text) { return procedure(text); }, cases);
}

const vb::String kFit = u"JavaScript:if(this.width>screen.width-333)this.width=screen.width-333";

TEST(KesraFilterJS, TheNineReplacements) {
  ExpectEach(qe::KesraFilterJS,
             {
                 {u"<a onclick=x>", u"<a &#111nclick=x>"},
                 {u"JAVASCRIPT", u"&#106avascript"},
                 {u"jscript: js:", u"&#106script: &#106s:"},
                 {u"about:x file:y", u"about&#58x file&#58y"},
                 {u"document.cookie documentXcookie", u"documents&#46cookie documents&#46cookie"},
                 {u"vbscript: vbs:", u"&#118bscript: &#118bs:"},
                 {u"onMouseOver onexit onError onkey", u"&#111nMouseOver &#111nexit &#111nError &#111nkey"},
                 {u"ordinary text, <b>bold</b> and <a href=\"http://a.cn/\">a link</a>",
                  u"ordinary text, <b>bold</b> and <a href=\"http://a.cn/\">a link</a>"},
             });
}

// A reference that a digit follows gets its ";": "about&#581" reads "aboutɅ".
TEST(KesraFilterJS, ReferencesBeforeDigitsAreClosed) {
  ExpectEach(qe::KesraFilterJS, {
                                    {u"about:1", u"about&#58;1"},
                                    {u"file:2x", u"file&#58;2x"},
                                    {u"about:blank", u"about&#58blank"},
                                });
}

// What the nine words miss: elements shown as text, other handlers renamed,
// srcdoc and script addresses removed (the references the words leave
// without ";" are decoded back by browsers inside attributes).
TEST(KesraFilterJS, NeutralizesWhatTheWordsMiss) {
  ExpectEach(qe::KesraFilterJS,
             {
                 {u"<script>alert(1)</script>", u"&lt;script>alert(1)</script>"},
                 {u"<SCRIPT src=//x.cn/a.js></SCRIPT>", u"&lt;SCRIPT src=//x.cn/a.js></SCRIPT>"},
                 {u"<svg/onload=alert(1)>", u"&lt;svg/onload=alert(1)>"},
                 {u"<base href=//x.cn/>", u"&lt;base href=//x.cn/>"},
                 {u"<meta http-equiv=refresh content=0;url=//x.cn>", u"&lt;meta http-equiv=refresh content=0;url=//x.cn>"},
                 {u"<img src=x onload=alert(1)>", u"<img src=x &#111nload=alert(1)>"},
                 {u"<body onpageshow=alert(1)>", u"<body &#111npageshow=alert(1)>"},
                 {u"<a href=\"javascript:alert(1)\">x</a>", u"<a >x</a>"},
                 {u"<a href=\" &#106avascript:alert(1)\" title=t>x</a>", u"<a  title=t>x</a>"},
                 {u"<iframe srcdoc=\"&lt;b>\" src=a.htm></iframe>", u"&lt;iframe srcdoc=\"&lt;b>\" src=a.htm></iframe>"},
                 {u"<form action=vbs&#58x><button formaction=jav&#x61;script:x>b</button></form>",
                  u"&lt;form action=vbs&#58x><button >b</button></form>"},
                 {u"<object data=data:text/html,x></object>", u"&lt;object data=data:text/html,x></object>"},
                 // The ordinary twins.
                 {u"<img src=\"data:image/png;base64,AAAA\">", u"<img src=\"data:image/png;base64,AAAA\">"},
                 {u"<a href=\"mailto:a@b.cn\">m</a>", u"<a href=\"mailto:a@b.cn\">m</a>"},
                 {u"<a href=\"/x/y.asp?a=1&b=2\" title=\"on\">r</a>", u"<a href=\"/x/y.asp?a=1&b=2\" title=\"on\">r</a>"},
                 {u"<textarea><b onmouseover=x></textarea>", u"<textarea><b &#111nmouseover=x></textarea>"},
                 {u"<style>p{color:red}</style>", u"<style>p{color:red}</style>"},
             });
}

// The elements that load or send by themselves, with an address of the site
// that would act for whoever views the text: shown as text, by the filter
// and by the converter, whose own players still come out as objects.
TEST(KesraFilterJS, ElementsThatLoadOrSendByThemselvesAreShownAsText) {
  const vb::String action = u"/qe/main/netdrivers_create_del.asp?p_Act=DelFolder&p_CurrentFolder=/&p_CurrentFile=work";
  for (const vb::String& typed : {u"<iframe src=\"" + action + u"\"></iframe>", u"<IFRAME\nsrc=" + action + u">",
                                  u"<object data=" + action + u">", u"<embed src=" + action + u">",
                                  vb::String(u"<form action=/comm/logout.asp><button>x</button></form>"),
                                  vb::String(u"<link rel=prefetch href=/comm/logout.asp>"),
                                  vb::String(u"<meta http-equiv=refresh content=0;url=/comm/logout.asp>")}) {
    for (const vb::String& out : {qe::KesraFilterJS(typed), qe::KesraUBBCode1(typed)}) {
      EXPECT_TRUE(out.starts_with(u"&lt;")) << qe_test::Printable(out);
      EXPECT_EQ(out.substr(4), typed.substr(1)) << qe_test::Printable(out);
    }
  }
  const vb::String flash = qe::KesraUBBCode1(u"[flash]m.swf[/flash]");
  EXPECT_NE(flash.find(u"<OBJECT codeBase="), vb::String::npos);
  EXPECT_NE(flash.find(u"<embed src=\"m.swf\""), vb::String::npos);
}

TEST(KesraFilterJS, ContentThatElementsHidFromTheReaderIsReadToo) {
  for (const char16_t* attack : {
           u"<noscript><img src=x onerror=alert(1)></noscript>",
           u"<noscript><p title=\"</noscript><img src=x onpointerover=alert(1)>\">",
           u"<script><img src=x onanimationstart=alert(1)></script>",
           u"<select><iframe></select><img src=x onfocus=alert(1) autofocus>",
           u"<select><xmp></select><img src=x onfocusin=alert(1)>",
           u"<svg><style><img src=x onfocus=alert(1)></style></svg>",
           u"<math><mtext><table><mglyph><style><img src=x onpointerdown=alert(1)>",
           u"<template><img src=x onfocus=alert(1)></template>",
           u"<img src=x onfocus=a onfocus=alert(1)>",
           u"<a title=\"<img src=x onfocus=alert(1)>\">",
           u"<img src=x \nonload\n=alert(1)>",
           u"<img/src=x/onload=alert(1)>",
           u"<!--><img src=x onfocus=alert(1)>-->",
       }) {
    SCOPED_TRACE(qe_test::Printable(attack));
    const vb::String out = qe::KesraFilterJS(attack);
    EXPECT_EQ(qe_test::LiveMarkup(out), std::vector<std::string>{}) << qe_test::Printable(out);
  }
  // A tag the text leaves open is renamed too: the page's own text would close it.
  EXPECT_EQ(qe::KesraFilterJS(u"<img src=x onfocus=alert(1) "), u"<img src=x &#111nfocus=alert(1) ");
}

TEST(KesraUBBCode1, RulesEdgeCases) {
  const vb::String picture = u" border=0 title=按此在新窗口浏览图片 onload=\"" + kFit + u"\">";
  ExpectEach(qe::KesraUBBCode1,
             {
                 {u"[img]http://a.cn/p.gif[/img]",
                  u"<a onfocus=this.blur() href=\"http://a.cn/p.gif\" target=_blank><IMG SRC=\"http://a.cn/p.gif\"" +
                      picture + u"</a>"},
                 {u"[img]mms://a.cn/p.gif[/img]", u"[img]mms://a.cn/p.gif[/img]"},
                 {u"[upload=jpg]/up/b.png[/upload]",
                  u"<br><IMG SRC=\"../comm_ubb/pic/jpg.asp\" border=0>此主题相关图片如下：<br><a href=\"/up/b.jpg\" "
                  u"TARGET=_blank><IMG SRC=\"/up/b.jpg\"" +
                      picture + u"</A>"},
                 {u"[upload=rar]/up/b.rar[/upload]",
                  u"<br><IMG SRC=\"../comm_ubb/pic/rar.asp\" border=0> <a href=\"/up/b.rar\">点击浏览该文件</a>"},
                 {u"[align=justify]x[/align]", u"[align=justify]x[/align]"},
                 {u"[align=center]x\n[/align]", u"[align=center]x\n[/align]"},
                 {u"[align=center]x[/align]", u"<div align=center>x</div>"},
                 {u"[quote]a[/quote] and [quote]b[/quote]",
                  u"<table style=\"width:80%\" cellpadding=5 cellspacing=1 class=tableborder1><TR><TD "
                  u"class=tableborder1>a[/quote] and [quote]b</td></tr></table><br>"},
                 {u"[em3]", u"<img src=../comm_ubb/emot/em3.asp border=0 align=middle>"},
                 {u"[empty]", u"<img src=../comm_ubb/emot/empty.asp border=0 align=middle>"},
                 {u"[email]x[/email]", u"<img src=../comm_ubb/emot/email.asp border=0 align=middle>x[/email]"},
                 {u"[email]a@b.cn[/email]",
                  u"<img align=absmiddle src=../comm_ubb/pic/email.asp><a href=\"mailto:a@b.cn\">a@b.cn</A>"},
                 {u"[email=a@b.cn]A[/email]",
                  u"<img align=absmiddle src=../comm_ubb/pic/email.asp><a href=\"mailto:a@b.cn\" TARGET=_blank>A</A>"},
                 {u"[i][/i]", u"[i][/i]"},
                 {u"<I></I>x<i></i>", u"x<i></i>"},
                 {u"[b]x[/b]", u"<b>x</b>"},
                 {u"[size=4]x[/size]", u"<font size=4>x</font>"},
                 {u"[size=5]x[/size]", u"[size=5]x[/size]"},
                 {u"[code]<b>x</b>[/code]",
                  u"<table width='100%' border='0' cellspacing='0' cellpadding='6' "
                  u"class=tableborder1><td><b>以下内容为程序代码:</b><br><b>x</b></td></table>"},
                 {u"[fly]a[/fly]b[/fly]", u"<marquee width=90% behavior=alternate scrollamount=3>a[/fly]b</marquee>"},
                 {u"[url=http://a.cn/]A[/url] [color=red]r[/color]",
                  u"<a href=\"http://a.cn/\" TARGET=_blank>A</A> <font color=red>r</font>"},
             });
}

TEST(KesraUBBCode1, SizedFlash) {
  const vb::String out = qe::KesraUBBCode1(u"[flash=300,200]m.swf[/flash]");
  EXPECT_EQ(out,
            u"<a href=\"m.swf\" TARGET=_blank><IMG SRC=../comm_ubb/pic/swf.asp border=0 "
            u"title=点击开新窗口欣赏该FLASH动画! height=16 width=16>[全屏欣赏]</a><br><OBJECT "
            u"codeBase=http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=5,0,0,0 "
            u"classid=clsid:D27CDB6E-AE6D-11cf-96B8-444553540000 width=300 height=200><PARAM NAME=movie "
            u"VALUE=\"m.swf\"><PARAM NAME=quality VALUE=high><embed src=\"m.swf\" quality=high "
            u"pluginspage='http://www.macromedia.com/shockwave/download/index.cgi?P1_Prod_Version=ShockwaveFlash' "
            u"type='application/x-shockwave-flash' width=300 height=200>m.swf</embed></OBJECT>");
}

// Templates can land inside the author's own quoted attributes, where their
// quotes end the author's value; the final check keeps only the two
// handlers the picture steps write, with exactly their values.
TEST(KesraUBBCode1, TemplatesInsideTheAuthorsAttributesRunNothing) {
  for (const char16_t* attack : {
           u"<a title=\"[url] onpointerover=alert(1) x[/url]\">t</a>",
           u"<a title=\"[img]http://x onfocus=alert(1) autofocus [/img]\">t</a>",
           u"<a title=\"[color=x]y onanimationstart=alert(1) [/color]\">t</a>",
           u"<p title='[upload=x]y onpointerdown=alert(1) [/upload]'>",
           u"[url]javascript:alert(1)[/url]",
           u"[url=&#106;avascript:alert(1)]x[/url]",
           u"[upload=jpg]javascript:alert(1)//b.png[/upload]",
           u"[flash]vbscript:x[/flash]",
           u"<b onfocus=this.blur()>",
       }) {
    SCOPED_TRACE(qe_test::Printable(attack));
    const vb::String out = qe::KesraUBBCode1(attack);
    EXPECT_EQ(qe_test::LiveMarkup(out, true), std::vector<std::string>{}) << qe_test::Printable(out);
  }
  // The author's own onfocus=this.blur() is renamed by the filter first.
  EXPECT_EQ(qe::KesraUBBCode1(u"<b onfocus=this.blur()>"), u"<b &#111nfocus=this.blur()>");
}

}  // namespace
