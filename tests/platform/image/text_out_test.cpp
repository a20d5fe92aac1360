// Text on bitmaps: where a large "■" lands, turned or not, what height and
// width mean, and Chinese under a face that has none.
#include <gtest/gtest.h>

#include <climits>

#include "platform/image/text_out.h"
#include "support/picture_files.h"

namespace {

using image::Bitmap;
using image::Rgb;
using qe_test::Near;

constexpr Rgb kWhite{255, 255, 255}, kInk{20, 40, 200};

// The box around every pixel that is not white.
struct Box {
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

Box InkBox(const Bitmap& b) {
  Box box;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.At(x, y) != kWhite) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
      }
  return box;
}

image::LogFont Font(int32_t height, int32_t width = 0, int32_t escapement = 0, const char16_t* face = u"Monotype Corsiva") {
  return {height, width, escapement, face};
}

TEST(TextOut, ASquareLandsInItsCellInTheTextColour) {
  Bitmap b(400, 400, kWhite);
  image::TextOut(b, 100, 120, Font(160), kInk, u"■");
  Box box = InkBox(b);
  ASSERT_FALSE(box.Empty());
  // Inside the cell: from the given top-left corner, 160 pixels down.
  EXPECT_GE(box.left, 100);
  EXPECT_GE(box.top, 120);
  EXPECT_LE(box.bottom, 120 + 160);
  EXPECT_GT(box.Width(), 40);
  EXPECT_GT(box.Height(), 40);
  EXPECT_TRUE(Near(b.At((box.left + box.right) / 2, (box.top + box.bottom) / 2), kInk, 0));
}

TEST(TextOut, AnEscapementOf900TurnsTheTextUpAboutItsTopLeftCorner) {
  Bitmap flat(400, 400, kWhite), turned(400, 400, kWhite);
  image::TextOut(flat, 100, 200, Font(160), kInk, u"■");
  Box f = InkBox(flat);
  image::TextOut(turned, 100, 200, Font(160, 0, 900), kInk, u"■");
  Box t = InkBox(turned);
  ASSERT_FALSE(t.Empty());
  // Turned a quarter counter-clockwise about (100, 200): a point (x, y) of the
  // flat square moves to (100 + (y − 200), 200 − (x − 100)).
  EXPECT_NEAR(t.left, 100 + (f.top - 200), 2);
  EXPECT_NEAR(t.right, 100 + (f.bottom - 200), 2);
  EXPECT_NEAR(t.top, 200 - (f.right - 100), 2);
  EXPECT_NEAR(t.bottom, 200 - (f.left - 100), 2);
  EXPECT_TRUE(Near(turned.At((t.left + t.right) / 2, (t.top + t.bottom) / 2), kInk, 0));
  // Where the flat square was, the turned one is not.
  EXPECT_EQ(turned.At((f.left + f.right) / 2, (f.top + f.bottom) / 2), kWhite);
}

TEST(TextOut, NegativeHeightsAreTheEmAndWidthsStretchAcross) {
  auto ink = [](image::LogFont font) {
    Bitmap b(600, 300, kWhite);
    image::TextOut(b, 10, 10, font, kInk, u"■■");
    return InkBox(b);
  };
  Box cell = ink(Font(100)), em = ink(Font(-100));
  // The cell holds the em and the leading above it, so an em of 100 is larger.
  EXPECT_GT(em.Height(), cell.Height());
  EXPECT_LE(cell.bottom, 10 + 100);
  Box wide = ink(Font(100, 100));
  EXPECT_NEAR(wide.Height(), cell.Height(), 2);
  EXPECT_GT(wide.Width(), cell.Width() * 3 / 2);
  // 0 is the default size: a small cell.
  Box small = ink(Font(0));
  EXPECT_LE(small.Height(), 12);
  EXPECT_FALSE(small.Empty());
}

TEST(TextOut, ChineseDrawsUnderAFaceWithoutIt) {
  for (const char16_t* face : {u"Monotype Corsiva", u"no such face", u"", u"宋体"}) {
    Bitmap b(200, 100, kWhite);
    image::TextOut(b, 5, 5, Font(60, 0, 0, face), kInk, u"校园");
    Box box = InkBox(b);
    ASSERT_FALSE(box.Empty());
    EXPECT_GT(box.Width(), 60);  // two characters, both drawn
  }
}

TEST(TextOut, WhatFallsOutsideIsLeftOutAndHugeSizesCostNothing) {
  Bitmap b(50, 50, kWhite);
  image::TextOut(b, -30, -30, Font(100), kInk, u"■");
  EXPECT_EQ(b.At(49, 49), kWhite);
  Bitmap c(50, 50, kWhite);
  image::TextOut(c, 0, 0, Font(INT_MAX, INT_MAX), kInk, u"■■■■");
  image::TextOut(c, 0, 0, Font(INT_MIN, INT_MIN, INT_MIN), kInk, u"■");
  image::TextOut(c, INT_MAX, INT_MIN, Font(50), kInk, u"■");
}

}  // namespace
