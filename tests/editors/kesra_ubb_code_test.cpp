// The main UBB converter: its rules' edge cases, the gates and the early
// exit, the pairing of list, item and code tags, and each mend with its
// attack and its ordinary twin.
#include "editors/kesra_ubb_code.h"

#include <gtest/gtest.h>

#include "support/case_table.h"
#include "support/live_markup.h"
#include "support/printable.h"

namespace {

vb::String Ubb(vb::StringView text) {
  vb::String in(text);
  return qe::KesraUBBCode(in);
}

void ExpectEach(const std::vector<std::pair<vb::String, vb::String>>& cases) { qe_test::ExpectEach(Ubb, cases); }

const vb::String kLink = u"<img align=absmiddle src=../comm_ubb/pic/url.asp><a target=_blank href=";
vb::String Linked(vb::StringView address) {
  return kLink + vb::String(address) + u">" + vb::String(address) + u"</a>";
}

TEST(KesraUBBCode, EncodingAndEarlyExit) {
  ExpectEach({
      {u"abc", u"abc"},
      {u" a  b ", u"a\u3000b"},
      {u"x<y", u"x&lt;y"},
      {u"it's", u"it\"s"},
      {u"a\r\n\r\nb\r\nc", u"a</p><p>b<br>c"},
      // No "http://" and one bracket only: nothing is converted.
      {u"[bx ftp://a.cn/f", u"[bx ftp://a.cn/f"},
      {u"x] ftp://a.cn/f", u"x] ftp://a.cn/f"},
      {u"ftp://a.cn/f", u"ftp://a.cn/f"},
  });
}

TEST(KesraUBBCode, LeavesTheConvertedTextInItsArgument) {
  vb::String text = u" [b]x[/b] ";
  EXPECT_EQ(qe::KesraUBBCode(text), u"<b>x</b>");
  EXPECT_EQ(text, u"<b>x</b>");
}

TEST(KesraUBBCode, TagPairsAndTheirOrder) {
  ExpectEach({
      {u"[B]x[/b]", u"<b>x</b>"},
      {u"[b][i]x[/i][/b]", u"<b><i>x</i></b>"},
      {u"[i][b]x[/b][/i]", u"[i]<b>x</b>[/i]"},
      {u"[u]x[/u]", u"<u>x</u>"},
      {u"[center]x[/center]", u"<center>x</center>"},
      {u"[fly]x[/fly]", u"<marquee width=90% behavior=alternate scrollamount=3>x</marquee>"},
      {u"[move]x[/move]", u"<MARQUEE scrollamount=3>x</marquee>"},
      {u"[size=3]x[/size]", u"<font size=3>x</font>"},
      {u"[size=5]x[/size]", u"[size=5]x[/size]"},
      {u"[color=red]x[/color]", u"<font color=red>x</font>"},
      {u"[align=center]x[/align]", u"<div align=center>x</div>"},
      {u"[glow=255,red,2]x[/glow]", u"<table width=255 style=\"filter:glow(color=red, strength=2)\">x</table>"},
      {u"[SHADOW=255,#00F,1]x[/SHADOW]",
       u"<table width=255 style=\"filter:shadow(color=#00F, strength=1)\">x</table>"},
      {u"[quote][quote]a[/quote][/quote]",
       u"<table cellpadding=2 cellspacing=1 bgcolor=ffffff border=0 width=98% "
       u"align=center><TR><TD>[quote]a</td></tr></table><br>[/quote]"},
      // The content may not hold a "[" after its first character, nor be empty.
      {u"[b]a[x]b[/b]", u"[b]a[x]b[/b]"},
      {u"[b][/b]", u"[b][/b]"},
  });
}

TEST(KesraUBBCode, PairsByCount) {
  const vb::String code_open = u"<pre id=code><font size=1 face=\"Verdana, Arial\" id=code>";
  const vb::String code_close = u"</font id=code></pre id=code>";
  ExpectEach({
      {u"[list][*]a[/*][/list]", u"<ul><li>a</li></ul>"},
      {u"[list=1]a[/list][list]b[/list]", u"<ol type=1>a</ul><ul>b</ol id=1>"},
      {u"[list=a]x[/list]", u"<ol type=a>x</ol id=a>"},
      {u"[/*]a[*]", u"</li>a<li>"},
      {u"[*]a[*]b[/*]", u"<li>a[*]b</li>"},
      {u"[code]a[code]b[/code]", code_open + u"a[code]b" + code_close},
  });
}

TEST(KesraUBBCode, Addresses) {
  ExpectEach({
      {u"http://www.a.cn/x", Linked(u"http://www.a.cn/x")},
      {u"see http://a.cn/ now", u"see " + Linked(u"http://a.cn/") + u" now"},
      // After "<br>" (">" before it) the address is not linked, unless it ends the text.
      {u"a\r\nhttp://a.cn/ b", u"a<br>http://a.cn/ b"},
      {u"a\r\nhttp://a.cn/", u"a<br>" + Linked(u"http://a.cn/")},
      {u"[b]x[/b] ftp://a.cn/f", u"<b>x</b> " + Linked(u"ftp://a.cn/f")},
      {u"x rtsp://a.cn/s y http://b.cn", u"x " + Linked(u"rtsp://a.cn/s") + u" y " + Linked(u"http://b.cn")},
      {u"[url]http://a.cn/?a=1&b=2[/url]", u"<A HREF=\"http://a.cn/?a=1&b=2\" TARGET=_blank>http://a.cn/?a=1&b=2</A>"},
      {u"[url=http://a.cn/]A[/url]", u"<A HREF=\"http://a.cn/\" TARGET=_blank>A</A>"},
      {u"[email]a@b.cn[/email]",
       u"<img align=absmiddle src=../comm_ubb/pic/email.asp><A HREF=\"mailto:a@b.cn\">a@b.cn</A>"},
      {u"[email=a@b.cn]A[/email]", u"<img align=absmiddle src=../comm_ubb/pic/email.asp><A HREF=\"mailto:a@b.cn\">A</A>"},
  });
}

TEST(KesraUBBCode, PicturesAndMedia) {
  ExpectEach({
      {u"[img=0,0]x.asp[/img]", u"<a href=\"x.asp\" target=_blank><IMG SRC=\"x.asp\" border=0 title=按此在新窗口浏览图片></a> "},
      {u"[img]x.gif[/img]",
       u"<a href=\"x.gif\" target=_blank><IMG SRC=\"x.gif\" border=0 width= title=按此在新窗口浏览图片></a> "},
      {u"[img=200]x.gif[/img]",
       u"<a href=\"x.gif\" target=_blank><IMG SRC=\"x.gif\" border=0 width=200 title=按此在新窗口浏览图片></a> "},
      {u"[qt=4,3]m.mov[/qt]",
       u"<embed src=m.mov width=4 height=3 autoplay=true Loop=false controller=true playeveryframe=false cache=false "
       u"scale=TOFIT bgcolor=#000000 kioskmode=false targetcache=false pluginspage=http://www.apple.com/quicktime/>"},
      {u"[dir=4,3]m.dcr[/dir]",
       u"<object classid=clsid:166B1BCA-3F9C-11CF-8075-444553540000 "
       u"codebase=http://download.macromedia.com/pub/shockwave/cabs/director/sw.cab#version=7,0,2,0 width=4 "
       u"height=3><param name=src value=m.dcr><embed src=m.dcr "
       u"pluginspage=http://www.macromedia.com/shockwave/download/ width=4 height=3></embed></object>"},
  });
}

// The flash template's own pluginspage='http://...' is no longer linked
// again by the third address step, which cut the embed short.
TEST(KesraUBBCode, FlashKeepsItsPluginPage) {
  const vb::String flash =
      u"<OBJECT codeBase=http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=4,0,2,0 "
      u"classid=clsid:D27CDB6E-AE6D-11cf-96B8-444553540000 width=480 height=400><PARAM NAME=movie "
      u"VALUE=\"m.swf\"><PARAM NAME=quality VALUE=high><embed src=\"m.swf\" quality=high "
      u"pluginspage='http://www.macromedia.com/shockwave/download/index.cgi?P1_Prod_Version=ShockwaveFlash' "
      u"type='application/x-shockwave-flash' width=480 height=400>m.swf</embed></OBJECT>";
  EXPECT_EQ(Ubb(u"[flash]m.swf[/flash]"), flash);
  EXPECT_EQ(Ubb(u"[Flash]m.swf[/FLASH]"), flash);
  // The ordinary twin: a typed address still gets its link.
  EXPECT_EQ(Ubb(u"[flash]m.swf[/flash] http://a.cn/"), flash + u" " + Linked(u"http://a.cn/"));
}

// A group put into an attribute cannot leave it; values free of the
// characters that would end it come out byte for byte.
TEST(KesraUBBCode, GroupsStayInTheirAttributes) {
  ExpectEach({
      {u"[url]x' onmouseover='alert(1)[/url]",
       u"<A HREF=\"x&quot; onmouseover=&quot;alert(1)\" TARGET=_blank>x\" onmouseover=\"alert(1)</A>"},
      {u"[color=red onmouseover=alert(1)]x[/color]", u"<font color=red&#32;onmouseover=alert(1)>x</font>"},
      {u"[face=Times New Roman]x[/face]", u"<font face=Times&#32;New&#32;Roman>x</font>"},
      {u"[align=center\tonclick=alert(1)]x[/align]", u"<div align=center&#9;onclick=alert(1)>x</div>"},
      {u"[img]x' onerror='alert(1)[/img]",
       u"<a href=\"x&quot; onerror=&quot;alert(1)\" target=_blank><IMG SRC=\"x&quot; onerror=&quot;alert(1)\" border=0 "
       u"width= title=按此在新窗口浏览图片></a> "},
      {u"[mp=1,2]a b[/mp]",
       u"<object align=middle classid=CLSID:22d6f312-b0f6-11d0-94ab-0080c74c7e95 class=OBJECT id=MediaPlayer width=1 "
       u"height=2 ><param name=ShowStatusBar value=-1><param name=Filename value=a&#32;b><embed "
       u"type=application/x-oleobject "
       u"codebase=http://activex.microsoft.com/activex/controls/mplayer/en/nsmp2inf.cab#Version=5,1,52,701 "
       u"flename=mp src=a&#32;b  width=1 height=2></embed></object>"},
      {u"[url=a`b]x[/url]", u"<A HREF=\"a`b\" TARGET=_blank>x</A>"},
  });
}

// An address group whose scheme, read as a browser reads it, is not http,
// https, ftp, rtsp, mms or mailto leaves its match as typed.
TEST(KesraUBBCode, ScriptAddressesStayAsTyped) {
  for (const char16_t* typed : {
           u"[url]javascript:alert(1)[/url]",
           u"[url]JaVaScRiPt:alert(1)[/url]",
           u"[url=javascript:alert(1)]x[/url]",
           u"[url]java&#9;script:alert(1)[/url]",
           u"[url]java&#x0A;script:alert(1)[/url]",
           u"[url]&#106;avascript:alert(1)[/url]",
           u"[url]&#106avascript:alert(1)[/url]",
           u"[url]jav&#0000097script&colon;alert(1)[/url]",
           u"[url]\u0001javascript:alert(1)[/url]",
           u"[img]vbscript:msgbox(1)[/img]",
           u"[flash]data:application/x-shockwave-flash,x[/flash]",
           u"[mp=1,1]javascript:alert(1)[/mp]",
           u"[rm=1,1]javascript:alert(1)[/rm]",
           u"[dir=1,1]javascript:alert(1)[/dir]",
           u"[qt=1,1]javascript:alert(1)[/qt]",
           u"[img]data:image/png;base64,AAAA[/img]",
       }) {
    SCOPED_TRACE(qe_test::Printable(typed));
    const vb::String out = Ubb(typed);
    EXPECT_EQ(out.find(u'<'), vb::String::npos) << qe_test::Printable(out);
  }
  // The ordinary twins: relative addresses, the allowed schemes.
  ExpectEach({
      {u"[url]a/b.htm[/url]", u"<A HREF=\"a/b.htm\" TARGET=_blank>a/b.htm</A>"},
      {u"[url]mailto:a@b.cn[/url]", u"<A HREF=\"mailto:a@b.cn\" TARGET=_blank>mailto:a@b.cn</A>"},
      {u"[url]https://a.cn/[/url]", u"<A HREF=\"https://a.cn/\" TARGET=_blank>https://a.cn/</A>"},
      {u"[url]java script.htm[/url]", u"<A HREF=\"java script.htm\" TARGET=_blank>java script.htm</A>"},
  });
}

// Later templates can land inside the attributes of earlier ones; the
// markup guard takes what they build together.
TEST(KesraUBBCode, TemplatesOverlappingTemplatesRunNothing) {
  for (const char16_t* attack : {
           u"[img][url]x onerror=alert(1) [/img]y[/url]",
           u"[img][email]x onerror=alert(1) [/img]y[/email]",
           u"[img][flash]x onerror=alert(1) [/img]y[/flash]",
           u"[url=[url]x onmouseover=alert(1) ]y[/url]z[/url]",
           u"[img][url=javascript:alert(1)]x[/img]y[/url]",
       }) {
    SCOPED_TRACE(qe_test::Printable(attack));
    EXPECT_EQ(qe_test::LiveMarkup(Ubb(attack)), std::vector<std::string>{});
  }
}

// Parameters on which the rules' own patterns backtrack for minutes or give
// up with error 28 (the glow pattern below does, after seconds) finish at
// once and stay as typed.
TEST(KesraUBBCode, LongParametersNeverRunAway) {
  const vb::String glow = u"[glow=" + vb::String(30000, u'1') + u".]x[/glow]";
  const vb::String picture = u"[img=" + vb::String(60000, u'1') + u".]x[/img]";
  const vb::String colour = u"[color=" + vb::String(20000, u']') + u"[x[y[/color]";
  for (const vb::String& text : {glow, picture, colour}) {
    vb::String out;
    ASSERT_NO_THROW(out = Ubb(text));
    EXPECT_EQ(out, text);
  }
}

}  // namespace
