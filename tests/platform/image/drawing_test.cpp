// Halftone stretching and constant-alpha blending, pixel by pixel.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/image/alpha_blend.h"
#include "platform/image/stretch.h"
#include "support/picture_files.h"

namespace {

using image::Bitmap;
using image::Rgb;
using qe_test::Near;

Rgb Grey(int v) { return {static_cast<uint8_t>(v), static_cast<uint8_t>(v), static_cast<uint8_t>(v)}; }

TEST(StretchBlt, ACheckerboardShrinksToItsAverage) {
  Bitmap board(2, 2, Grey(0));
  board.Set(1, 0, Grey(255));
  board.Set(0, 1, Grey(255));
  Bitmap one = image::StretchBlt(board, 1, 1);
  ASSERT_EQ(one.Width(), 1);
  EXPECT_TRUE(Near(one.At(0, 0), Grey(128), 1));
  // A finer board, 64 × 48, to 7 × 5: every target pixel covers parts of many.
  Bitmap fine(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) fine.Set(x, y, Grey((x + y) % 2 ? 200 : 0));
  Bitmap small = image::StretchBlt(fine, 7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_TRUE(Near(small.At(x, y), Grey(100), 9)) << x << "," << y;
}

TEST(StretchBlt, ShrinkingWeighsEachSourcePixelByWhatItCovers) {
  // Three columns 0, 90, 180 to two: the middle one is split between them.
  Bitmap row(3, 1);
  row.Set(1, 0, Grey(90));
  row.Set(2, 0, Grey(180));
  Bitmap two = image::StretchBlt(row, 2, 1);
  EXPECT_TRUE(Near(two.At(0, 0), Grey(30), 1));   // (0 × 1 + 90 × 0.5) / 1.5
  EXPECT_TRUE(Near(two.At(1, 0), Grey(150), 1));  // (90 × 0.5 + 180 × 1) / 1.5
}

TEST(StretchBlt, EnlargingIsBilinearBetweenPixelCentres) {
  Bitmap row(2, 1, Grey(0));
  row.Set(1, 0, Grey(200));
  Bitmap four = image::StretchBlt(row, 4, 1);
  // Target centres at 0.5, 1.5, 2.5, 3.5 fall at -0.25, 0.25, 0.75, 1.25 of the source.
  EXPECT_EQ(four.At(0, 0), Grey(0));
  EXPECT_TRUE(Near(four.At(1, 0), Grey(50), 1));
  EXPECT_TRUE(Near(four.At(2, 0), Grey(150), 1));
  EXPECT_EQ(four.At(3, 0), Grey(200));
}

TEST(StretchBlt, EachDirectionOnItsOwnAndColoursApart) {
  // Wider and shorter at once: columns keep their colours, rows average.
  Bitmap b(2, 2, Rgb{255, 0, 0});
  b.Set(1, 0, Rgb{0, 0, 255});
  b.Set(1, 1, Rgb{0, 0, 255});
  b.Set(0, 1, Rgb{255, 255, 0});
  Bitmap out = image::StretchBlt(b, 4, 1);
  EXPECT_TRUE(Near(out.At(0, 0), Rgb{255, 128, 0}, 1));
  EXPECT_TRUE(Near(out.At(3, 0), Rgb{0, 0, 255}, 1));
  // A copy when the size stays.
  Bitmap same = image::StretchBlt(b, 2, 2);
  EXPECT_EQ(same.At(0, 1), (Rgb{255, 255, 0}));
  // One pixel to many.
  Bitmap dot(1, 1, Rgb{10, 20, 30});
  Bitmap big = image::StretchBlt(dot, 5, 3);
  EXPECT_EQ(big.At(4, 2), (Rgb{10, 20, 30}));
}

TEST(AlphaBlend, EachCoveredPixelFollowsTheFormula) {
  const Rgb under{200, 100, 0}, mark{0, 50, 255};
  for (int alpha : {0, 70, 255}) {
    SCOPED_TRACE(alpha);
    Bitmap target(4, 4, under);
    image::AlphaBlend(target, 1, 1, Bitmap(2, 2, mark), static_cast<uint8_t>(alpha));
    double a = alpha / 255.0;
    auto blend = [&](int w, int s) { return static_cast<int>(std::lround(w * a + s * (1 - a))); };
    Rgb expected{static_cast<uint8_t>(blend(mark.red, under.red)), static_cast<uint8_t>(blend(mark.green, under.green)),
                 static_cast<uint8_t>(blend(mark.blue, under.blue))};
    EXPECT_TRUE(Near(target.At(1, 1), expected, 2));
    EXPECT_TRUE(Near(target.At(2, 2), expected, 2));
    EXPECT_EQ(target.At(0, 0), under);
    EXPECT_EQ(target.At(3, 3), under);
  }
}

TEST(AlphaBlend, TheMarkIsClippedToTheTarget) {
  const Rgb mark{9, 9, 9};
  Bitmap target(3, 3, Rgb{});
  image::AlphaBlend(target, -1, 2, Bitmap(3, 3, mark), 255);
  EXPECT_EQ(target.At(0, 2), mark);
  EXPECT_EQ(target.At(1, 2), mark);
  EXPECT_EQ(target.At(2, 2), Rgb{});
  EXPECT_EQ(target.At(0, 1), Rgb{});
  // Wholly outside, in any direction, and at the far ends of the range.
  for (auto [x, y] : {std::pair{3, 0}, {0, 3}, {-3, 0}, {0, -3}, {-2147483647 - 1, 2147483647}}) {
    Bitmap untouched(3, 3, Rgb{});
    image::AlphaBlend(untouched, x, y, Bitmap(3, 3, mark), 255);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(untouched.At(i % 3, i / 3), Rgb{});
  }
}

}  // namespace
