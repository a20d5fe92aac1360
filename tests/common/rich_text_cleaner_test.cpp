// The cleaner of stored rich text: what an editor makes comes back as it was,
// what loads, runs or navigates by itself does not, and a text it cannot
// read in bounded time and memory is refused, not half read.
#include "common/rich_text_cleaner.h"

#include <gtest/gtest.h>

#include <string>

#include "common/markup_encode.h"
#include "common/rich_text_written.h"
#include "common/tree_work.h"
#include "platform/vb/strings.h"
#include "support/printable.h"

namespace {

using qe::CleanRichText;

vb::String Clean(vb::StringView html) { return CleanRichText(html).value_or(u"<refused>"); }

// The cleaner's limits but those that grow with the text.
constexpr qe::TreeWork kLimits{100000, 256, SIZE_MAX, SIZE_MAX};

bool Written(vb::StringView html) { return qe::IsWrittenRichText(html, kLimits); }

vb::String Repeated(vb::StringView piece, int times) {
  vb::String out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(RichTextCleaner, WhatAnEditorMakesComesBackAsItWas) {
  for (const char16_t* html : {
           u"",
           u"plain text, 中文",
           u"<p>x &lt;y&gt; &amp; 中</p>",
           u"<p style=\"color: rgb(255, 0, 0); font-size: 14px;\">a<b>b</b><i>i</i><u>u</u><s>s</s>&nbsp;</p>\r\n",
           u"<h2 align=\"center\">t</h2><blockquote>q</blockquote><pre>\r\n\r\ncode</pre>",
           u"<ol start=\"3\"><li>a</li></ol><ul><li><font color=\"#ff0000\" face=\"宋体\" size=\"4\">b</font></li></ul>",
           u"<table border=\"1\" cellpadding=\"2\"><tbody><tr><th>h</th><td colspan=\"2\" valign=\"top\">c</td></tr>"
           u"</tbody></table>",
           u"<a href=\"/Data_UploadFiles/office/1.doc\" class=\"download\" download=\"报告.doc\" "
           u"target=\"_blank\">报告.doc</a><br>",
           u"<a href=\"http://www.school.cn/a.asp?x=1&amp;y=2\">l</a><img src=\"/Data_UploadFiles/QeEditor/1.png\" "
           u"width=\"10\" alt=\"\">",
           u"<p>&#128512; and &#1488; and €</p>",
       }) {
    EXPECT_EQ(Clean(html), html) << qe_test::Printable(html);
  }
}

// Each loader of a stored text that acted for whoever viewed it, and the
// ways around a list of bad words: none survives; the text around it does.
TEST(RichTextCleaner, NothingThatLoadsRunsOrNavigatesByItself) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"a<iframe src=\"/qe/main/netdrivers_create_del.asp?p_Act=DelFolder&p_CurrentFolder=/&p_CurrentFile=work\">"
       u"</iframe>b",
       u"ab"},
      {u"<link rel=prefetch href=/comm/logout.asp>x", u"x"},
      {u"<meta http-equiv=refresh content=\"0;url=/comm/logout.asp\">x", u"x"},
      {u"<link rel=preload as=fetch href=\"/qe/main/netdrivers_create_del.asp?p_Act=CreateFolder\">x", u"x"},
      {u"<base href=//x.cn/><object data=/a.asp></object><embed src=/a.asp><frameset><frame src=/a.asp>", u""},
      {u"<form action=/comm/logout.asp><input name=a><button>go</button>f</form>", u"f"},
      {u"<script>alert(1)</script><noscript><img src=/a></noscript><template><b>t</b></template>", u""},
      {u"<svg><image href=/comm/logout.asp /><a xlink:href=javascript:x>s</a></svg><math><mi>m</mi></math>", u""},
      {u"<img src=x onerror=alert(1) srcset=\"/comm/logout.asp 2x\" id=myform name=Content>", u"<img src=\"x\">"},
      {u"<a href=\"java&#x09;script:alert(1)\" onclick=x ping=/comm/logout.asp>l</a>", u"<a>l</a>"},
      {u"<a href=\" &#106;avascript:x\" target=_top>l</a><img src=\"data:image/png;base64,AA\">", u"<a>l</a><img>"},
      {u"<p style=\"background:url(/comm/logout.asp)\">a</p><p style=\"width:expression(alert(1))\">b</p>",
       u"<p>a</p><p>b</p>"},
      {u"<p style=\"background:image-set('/comm/logout.asp' 1x)\">a</p><p style=\"x:u\\72l(/a)\">b</p>",
       u"<p>a</p><p>b</p>"},
      {u"<table background=/a.asp><td background=/a.asp>c</td></table>", u"<table><tbody><tr><td>c</td></tr></tbody></table>"},
      {u"<video src=/a.asp poster=/b.asp>v</video><audio src=/a.asp autoplay>w</audio><marquee>m</marquee>", u"vwm"},
      {u"<!-- <img src=x> --><x-widget data-src=/a.asp>k</x-widget><textarea><img src=/a></textarea>", u"k"},
      {u"<select><iframe></select><img src=x onfocus=alert(1) autofocus>", u"<img src=\"x\">"},
      // An address is judged as it is written: without the control character it loses.
      {u"<a href=\"java&&#5;#115;cript:x\">l</a>", u"<a>l</a>"},
  };
  for (const auto& [html, clean] : cases) EXPECT_EQ(Clean(html), clean) << qe_test::Printable(html);
}

TEST(RichTextCleaner, ItsOwnOutputReadsTheSameAgain) {
  for (const char16_t* html : {
           u"<p>a<div>b</p>c", u"<table><tr><td>1<td>2</table>x", u"<b><i>x</b>y</i>", u"<pre>\n\nz</pre>",
           u"a\r\nb\rc\nd", u"<p title=\"a&quot;b\" style=\"font-family:&quot;宋体&quot;\">&lt;&amp;&gt;\u00a0</p>",
           u"<ul><li>1<li>2</ul><a href=x><a href=y>z</a>",
       }) {
    const vb::String once = Clean(html);
    EXPECT_EQ(Clean(once), once) << qe_test::Printable(html);
  }
}

// A text whose tree would grow past the cleaner's time or memory is refused
// at once; the page that shows it shows it as text.
TEST(RichTextCleaner, ATextPastItsLimitsIsRefused) {
  vb::String rebuilt = u"<div>";
  // Formatting left open is rebuilt after each block: some 30 KB would ask
  // for two million elements.
  for (int i = 0; i < 1500; ++i) rebuilt += u"<b a=" + vb::FromUtf8(std::to_string(i)) + u">";
  rebuilt += u"</div>";
  for (int i = 0; i < 1500; ++i) rebuilt += u"<div>x</div>";
  EXPECT_FALSE(CleanRichText(rebuilt).has_value());
  EXPECT_EQ(qe::CleanRichTextOrText(rebuilt).substr(0, 16), u"&lt;div&gt;&lt;b");
  EXPECT_EQ(qe::CleanRichTextOrText(u"<div><script>x</script></div>"), u"<div></div>");

  // Time: every tag counts, end tags too, the depth the text reaches
  // (formatting left open included), the open elements its tags meet (6 a
  // character, past them here), the pairs of a tag's attributes and the
  // elements made (one in 12 characters); the text is refused before it is
  // read.
  vb::String titled;
  for (int i = 0; i < 257; ++i) titled += u"<b title=" + vb::FromUtf8(std::to_string(i)) + u">";
  for (const vb::String& text : {Repeated(u"<div>", 257) + Repeated(u"</dd>", 2000),
                                 Repeated(u"<div>", 257) + Repeated(u"</p>", 2000), titled,
                                 Repeated(u"<div>", 256) + u"<DIV>" + Repeated(u"</div>", 257),
                                 Repeated(u"<div>", 200) + Repeated(u"</dd>", 2000),
                                 u"<p" + Repeated(u" a", 2000) + u">", Repeated(u"<P>", 20000)}) {
    EXPECT_FALSE(CleanRichText(text).has_value()) << qe_test::Printable(text.substr(0, 40));
    EXPECT_TRUE(qe::CleanRichTextOrText(text) == qe::HtmlEncodeText(text));
  }
  // At the limits, read and kept; one tag past them, not.
  const vb::String walked = Repeated(u"<DIV>", 40) + Repeated(u"</dd>", 2000);
  EXPECT_EQ(Clean(walked), Repeated(u"<div>", 40) + Repeated(u"</div>", 40));
  const vb::String deepest = Repeated(u"<DIV>", 256) + Repeated(u"</DIV>", 256);
  EXPECT_TRUE(Clean(deepest) == vb::LCase(deepest));
  const vb::String most_tags = Repeated(u"<P>paragraph of a document</P>", 50000);
  EXPECT_TRUE(Clean(most_tags) == vb::LCase(most_tags));
  EXPECT_FALSE(CleanRichText(most_tags + u"<BR>").has_value());
  EXPECT_TRUE(Written(vb::LCase(most_tags)));
  EXPECT_FALSE(Written(vb::LCase(most_tags) + u"<br>"));
  // A table the reader completes with its body and row: the written text
  // is held to the limits too.
  const vb::String tables = Repeated(u"<table><td>", 100);
  EXPECT_EQ(qe::CountTreeWork(tables, kLimits).depth, 200u);
  EXPECT_FALSE(CleanRichText(tables).has_value());

  // Within them: an editor's long document.
  vb::String long_document;
  for (int i = 0; i < 5000; ++i)
    long_document += u"<p><span style=\"color:red\">第" + vb::FromUtf8(std::to_string(i)) + u"段</span></p>";
  EXPECT_TRUE(Clean(long_document) == long_document);
}

// A new formatting element is compared, attribute by attribute, with the
// earlier ones of its name since the last cell: copies with many attributes,
// kept by the builder however they are closed, are refused before the text
// is read; an editor's documents, their formatting closed, are kept.
TEST(RichTextCleaner, CopiesOfFormattingAreCountedBeforeTheTextIsRead) {
  vb::String attributes;
  for (int i = 0; i < 40; ++i) attributes += u" a" + vb::FromUtf8(std::to_string(i));
  const auto b_copies = [&](int copies, const vb::String& before, const vb::String& after) {
    vb::String out;
    for (int copy = 0; copy < copies; ++copy)
      out += before + u"<b" + attributes + u" title=" + vb::FromUtf8(std::to_string(copy)) + u">" + after;
    return out;
  };
  vb::String cells = u"<table><tr>";  // 2.0 MB
  for (int cell = 0; cell < 42; ++cell) cells += u"<td>" + b_copies(250, u"", vb::String(30, u'x'));
  vb::String styled_document;
  for (int i = 0; i < 5000; ++i)
    styled_document += u"<P><FONT color=#ff0000 face=宋体 size=3><B>第" + vb::FromUtf8(std::to_string(i)) +
                       u"段</B></FONT>正文<I>斜体</I></P>";
  const struct {
    const char* shape;
    vb::String html;
    bool kept;
  } cases[] = {
      {"42 cells of 250 copies", cells + u"</table>", false},
      {"copies left open by end tags out of scope", u"<table><tr><td>" + b_copies(200, u"", u"<table></b></table>"), false},
      {"copies adopted past 8 blocks", u"<table><tr><td>" + b_copies(25, u"", Repeated(u"<div>", 8) + u"</b>"), false},
      {"copies in cells outside a table", b_copies(250, u"<td>", u""), false},
      {"text under formatting 200 deep", Repeated(u"<DIV>", 200) + u"<B>" + vb::String(50000, u'x'), false},
      {"an editor's styled document in capitals", styled_document, true},
      {"a timetable of styled cells",
       u"<TABLE>" + Repeated(u"<TR><TD><FONT color=red><B>语文</B></FONT><TD><B>数学</B><TD><I>英语</I></TR>", 3000) +
           u"</TABLE>",
       true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CleanRichText(c.html).has_value(), c.kept) << c.shape;
    if (!c.kept) EXPECT_TRUE(qe::CleanRichTextOrText(c.html) == qe::HtmlEncodeText(c.html)) << c.shape;
  }
}

// What the cleaner wrote passes as written: a page that writes it again
// takes it as it stands, without reading it. A text it would change, or
// whose reading could run anything, does not pass.
TEST(RichTextCleaner, WhatItWroteIsTakenAsItStands) {
  for (const char16_t* html : {
           u"<p>a<div>b</p>c", u"<table><tr><td>1<td>2</table>x", u"<b><i>x</b>y</i>", u"<pre>\n\nz</pre>",
           u"a\r\nb\rc\nd\t",
           u"<p title=\"a&quot;b\n\" style=\"font-family:&quot;宋体&quot;\">&lt;&amp;&gt;\u00a0</p>",
           u"<ul><li>1<li>2</ul><a href=x><a href=y target=_blank>z</a>", u"<img src=\"/a b.png\" alt='\"'>",
           u"<p>&#128512; € \u0080 \x01</p>", u"<a href=\"http://s.cn/a?x=1&amp;y=2\">l</a><hr><br>",
       }) {
    const vb::String once = Clean(html);
    EXPECT_TRUE(Written(once)) << qe_test::Printable(once);
  }
  // A broken character is written as the U+FFFD a browser reads.
  const vb::String broken =
      u"<p title=\"" + vb::String(1, char16_t{0xD800}) + u"\">a" + vb::String(1, char16_t{0xDC00}) + u"b</p>";
  EXPECT_EQ(Clean(broken), u"<p title=\"&#65533;\">a&#65533;b</p>");
  EXPECT_TRUE(Written(Clean(broken)));
  for (const char16_t* html : {
           u"<p>a", u"<p>a</b>", u"<P>a</P>", u"<p >a</p>", u"<p title='a'>b</p>", u"<p title=a>b</p>", u"<br/>",
           u"a < b", u"a > b", u"a & b", u"&copy;", u"\u00a0", u"\u0080", u"<p title=\"\x01\">a</p>",
           u"<p onclick=\"x\">a</p>", u"<p id=\"x\">a</p>", u"<script>x</script>", u"<iframe></iframe>",
           u"<a href=\"javascript:x\">l</a>", u"<a href=\"java&#115;cript:x\">l</a>", u"<a target=\"_top\">l</a>",
           u"<p style=\"background:u&#114;l(/x)\">a</p>", u"<img src=\"x\" onerror=\"y\">", u"<!-- x -->",
           u"<svg></svg>", u"<x-a></x-a>",
       }) {
    EXPECT_FALSE(Written(html)) << qe_test::Printable(html);
  }
  // Within the limits as CountTreeWork counts: 6 tags, depth 3, 0+1+2+3+2+1
  // met, 3 elements made.
  const vb::String three = Repeated(u"<div>", 3) + Repeated(u"</div>", 3);
  EXPECT_TRUE(qe::IsWrittenRichText(three, {6, 3, 9, 3}));
  EXPECT_FALSE(qe::IsWrittenRichText(three, {5, 3, 9, 3}));
  EXPECT_FALSE(qe::IsWrittenRichText(three, {6, 2, 9, 3}));
  EXPECT_FALSE(qe::IsWrittenRichText(three, {6, 3, 8, 3}));
  EXPECT_FALSE(qe::IsWrittenRichText(three, {6, 3, 9, 2}));
}

}  // namespace
