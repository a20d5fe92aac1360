// The count of a text's tags and of the depth a browser's tree builder
// reaches with it, made before the text is read: every tag, end tags too;
// an element is open until it is surely closed, and closed where it surely
// is, so that an editor's document, all its elements closed, reaches just
// its own depth and no text reaches much less than the builder's.
#include "common/tree_work.h"

#include <gtest/gtest.h>

#include <string>

#include "support/printable.h"

namespace {

vb::String Repeated(vb::StringView piece, int times) {
  vb::String out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(TreeWork, CountsEveryTagAndTheDepthReached) {
  struct Case {
    vb::String html;
    size_t tags, depth;
  } cases[] = {
      {u"", 0, 0},
      {u"a < b & c > d", 0, 0},
      {u"<p>a</p><p style=\"x\">b</p>", 4, 1},
      {u"<div><p><b>x</b><img src=x><br></p></div>", 8, 3},
      {u"</dd></dd></p></br>", 4, 0},
      {u"<!-- <div><div> --><?x <div>?><div>", 1, 1},
      {u"<textarea><div><div></textarea>", 2, 1},  // raw text holds no tags
      // What the builder closes by itself.
      {u"<p>a<p>b<div>c<p>d", 4, 2},
      {u"<ul><li>a<li>b<li>c</ul>", 5, 2},
      {u"<dl><dt>a<dd>b<dt>c</dl>", 5, 2},
      {u"<table><tr><td>a<td>b<tr><td>c</table>", 7, 3},
      {u"<h1><h2>x</h2></h1>", 4, 1},
      {u"<a>1<a>2<a>3</a>", 4, 1},
      {u"<div><span><p></div><div>", 5, 3},
      // What it surely does not close: a span's end stops at the p above it,
      // a form's end takes out only the form.
      {u"<span><p></span><span>", 4, 3},
      {u"<form><div></form><div>", 4, 3},
      // Formatting elements stay, rebuilt after the block that closes them,
      // until their own end tag or their cell's.
      {u"<div><b><i></div><div><div>", 6, 4},
      {u"<div><b><i></div></i></b><div>", 7, 3},
      {u"<table><tr><td><b><b></td></tr></table>" + Repeated(u"<div>", 6), 14, 6},
      // Unknown elements close by their own names; svg's "/>" closes, html's does not.
      {u"<x-a><x-b></x-b></x-a><o:p></o:p>", 6, 2},
      {u"<svg><g/><g/><g></g></svg>", 6, 2},
      {u"<div/><div/>", 2, 2},
      // In svg a style holds tags.
      {u"<svg><style><g><g></g></style></svg>", 7, 4},
  };
  for (const Case& c : cases) {
    const qe::TreeWork work = qe::CountTreeWork(c.html, 1000, 1000);
    EXPECT_EQ(work.tags, c.tags) << qe_test::Printable(c.html);
    EXPECT_EQ(work.depth, c.depth) << qe_test::Printable(c.html);
  }
}

// The count stops one past a limit: a text past it costs no more to count.
TEST(TreeWork, StopsOnePastALimit) {
  const qe::TreeWork deep = qe::CountTreeWork(Repeated(u"<div>", 400) + Repeated(u"</dd>", 1000), 2000, 256);
  EXPECT_EQ(deep.depth, 257u);
  EXPECT_EQ(deep.tags, 257u);
  const qe::TreeWork many = qe::CountTreeWork(Repeated(u"<p>x</p>", 100), 150, 256);
  EXPECT_EQ(many.tags, 151u);
  const qe::TreeWork within = qe::CountTreeWork(Repeated(u"<div>", 256) + Repeated(u"</div>", 256), 512, 256);
  EXPECT_EQ(within.tags, 512u);
  EXPECT_EQ(within.depth, 256u);
}

}  // namespace
