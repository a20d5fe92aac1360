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

constexpr qe::TreeWork kUnbounded{SIZE_MAX, SIZE_MAX, SIZE_MAX, SIZE_MAX};

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
    const qe::TreeWork work = qe::CountTreeWork(c.html, kUnbounded);
    EXPECT_EQ(work.tags, c.tags) << qe_test::Printable(c.html);
    EXPECT_EQ(work.depth, c.depth) << qe_test::Printable(c.html);
  }
}

// Each tag meets the elements open before it: a block's start looks through
// them for a p to close, an end tag that closes nothing for its element. Each
// start tag makes an element; a </p> or </br> that nothing opened makes one
// and closes it, which counts twice.
TEST(TreeWork, SumsTheOpenElementsEachTagMeetsAndTheElementsMade) {
  EXPECT_EQ(qe::CountTreeWork(Repeated(u"<div>", 40) + Repeated(u"</dd>", 100), kUnbounded).walked, 780u + 4000u);
  EXPECT_EQ(qe::CountTreeWork(u"<p><b>x</b></p><p>y</p>", kUnbounded).walked, 0u + 1 + 2 + 1 + 0 + 1);
  // A tag's attributes: each name is compared with those before it.
  EXPECT_EQ(qe::CountTreeWork(u"<p a b=1 c d>x</p e>", kUnbounded).walked, 6u + 1);
  EXPECT_EQ(qe::CountTreeWork(u"</p></br><p><br></p></dd><html>", kUnbounded).made, 2u + 2 + 1 + 1 + 1);
  const qe::TreeWork by_made = qe::CountTreeWork(Repeated(u"</p>", 100), {2000, 256, SIZE_MAX, 60});
  EXPECT_EQ(by_made.made, 62u);
  EXPECT_EQ(by_made.tags, 31u);
}

// A new formatting element is compared, attribute name by attribute name,
// with each earlier one of its name since the last marker (a cell, not one
// the builder ignores outside a table). Formatting stays counted while the
// builder keeps it: past an end tag out of scope or behind 8 blocks. Its
// adoption past blocks, and each character of text while formatting is
// active, look through the open elements.
TEST(TreeWork, CountsTheFormattingTheBuilderKeepsAndCompares) {
  struct Case {
    vb::String html;
    size_t walked, depth;
  } cases[] = {
      {u"<b a b><b c d e>", 1 + (1 + 3 + 2 * 3), 2},
      {u"<b a b><i c d e>", 1 + (1 + 3), 2},
      {u"<b a b></b><b c d e>", 1 + 1 + 3, 1},
      {u"<table><tr><td><b a b><td><b c d>", 0 + 1 + 2 + (3 + 1) + 4 + (3 + 1), 4},
      {u"<td><b a b></td><td><b c d>", 0 + 1 + 1 + 1 + (1 + 1 + 2 * 2), 2},
      {u"<b><table></b></table><div><div>", 0 + 1 + 2 + 2 + 1 + 2, 3},
      {u"<b>" + Repeated(u"<div>", 7) + u"</b><i>", 28 + (8 + 2 * 7 * 8) + 7, 8},
      {u"<b>" + Repeated(u"<div>", 8) + u"</b><i>", 36 + (9 + 2 * 8 * 9) + 9, 10},
      {u"<div><b>0123456789abcdef</b>", 0 + 1 + 16 * 2 / 8 + 2, 2},
      {u"<div>0123456789abcdef</div>", 0 + 1, 1},
  };
  for (const Case& c : cases) {
    const qe::TreeWork work = qe::CountTreeWork(c.html, kUnbounded);
    EXPECT_EQ(work.walked, c.walked) << qe_test::Printable(c.html);
    EXPECT_EQ(work.depth, c.depth) << qe_test::Printable(c.html);
  }
}

// The count stops one past a limit: a text past it costs no more to count.
TEST(TreeWork, StopsOnePastALimit) {
  const vb::String deep = Repeated(u"<div>", 400) + Repeated(u"</dd>", 1000);
  const qe::TreeWork by_depth = qe::CountTreeWork(deep, {2000, 256, SIZE_MAX, SIZE_MAX});
  EXPECT_EQ(by_depth.depth, 257u);
  EXPECT_EQ(by_depth.tags, 257u);
  const qe::TreeWork by_walk = qe::CountTreeWork(deep, {2000, 1000, 80000 + 400 * 10, SIZE_MAX});
  EXPECT_EQ(by_walk.tags, 411u);
  EXPECT_FALSE(qe::IsWithin(by_walk, {2000, 1000, 80000 + 400 * 10, SIZE_MAX}));
  const qe::TreeWork many = qe::CountTreeWork(Repeated(u"<p>x</p>", 100), {150, 256, SIZE_MAX, SIZE_MAX});
  EXPECT_EQ(many.tags, 151u);
  const qe::TreeWork within =
      qe::CountTreeWork(Repeated(u"<div>", 256) + Repeated(u"</div>", 256), {512, 256, SIZE_MAX, SIZE_MAX});
  EXPECT_EQ(within.tags, 512u);
  EXPECT_EQ(within.depth, 256u);
  EXPECT_TRUE(qe::IsWithin(within, {512, 256, SIZE_MAX, SIZE_MAX}));
}

}  // namespace
