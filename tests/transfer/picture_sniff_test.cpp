// Telling pictures by their first bytes.
#include "transfer/picture_sniff.h"

#include <gtest/gtest.h>

#include <string>

#include "transfer/picture_bytes.h"

namespace {

using qe::SniffPicture;
using namespace picture_bytes;

struct Expected {
  std::u16string type;
  double width, height, bits;
};

void ExpectPicture(const std::string& bytes, const Expected& e, const char* what) {
  auto info = SniffPicture(bytes);
  ASSERT_TRUE(info) << what;
  EXPECT_EQ(std::u16string(info->type), e.type) << what;
  EXPECT_EQ(info->width, e.width) << what;
  EXPECT_EQ(info->height, e.height) << what;
  EXPECT_EQ(info->bits, e.bits) << what;
}

TEST(SniffPicture, ReadsTheHeaderOfEachKind) {
  ExpectPicture(Jpeg(640, 480, 3), {u"JPG", 640, 480, 24}, "baseline JPEG");
  ExpectPicture(Jpeg(300, 200, 1, /*sof=*/0xC2, /*fill=*/3), {u"JPG", 300, 200, 8}, "progressive, fill bytes");
  ExpectPicture(Gif(320, 240, 247), {u"gif", 320, 240, 8}, "GIF packed 247");
  ExpectPicture(Gif(1, 2, 0x80), {u"gif", 1, 2, 1}, "GIF packed 128");
  ExpectPicture(Bmp(800, 600, 24), {u"bmp", 800, 600, 24}, "BMP");
  ExpectPicture(Bmp(2, 0xFFFFFFFE, 32), {u"bmp", 2, 4294967294.0, 32}, "top-down BMP");
  ExpectPicture(Png(100, 50, 8, 6), {u"png", 100, 50, 32}, "RGBA PNG");
  ExpectPicture(Png(70000, 3, 8, 2), {u"png", 70000 % 65536, 3, 24}, "wide PNG: the low half");
  ExpectPicture(Png(1, 1, 4, 3), {u"png", 1, 1, 4}, "palette PNG");
  ExpectPicture(Png(1, 1, 16, 0), {u"png", 1, 1, 16}, "grey PNG");
  ExpectPicture(Png(1, 1, 8, 4), {u"png", 1, 1, 16}, "grey and alpha PNG");
  ExpectPicture(Png(1, 1, 8, 5), {u"png", 1, 1, -1}, "unknown colour type");
}

TEST(SniffPicture, JpegMarksAnywhereWin) {
  std::string png = Png(10, 10, 8, 2) + std::string("\xFF\xD8\xFF\x00\x00", 5);
  auto info = SniffPicture(png);
  ASSERT_TRUE(info);
  EXPECT_EQ(std::u16string(info->type), u"JPG");
}

TEST(SniffPicture, OtherAndShortData) {
  for (std::string bytes : {std::string(), std::string("GIF89a123456"), std::string("BM") + std::string(30, '\0'),
                            Png(1, 1, 8, 2).substr(0, 27), std::string("plain text, no picture at all")})
    EXPECT_FALSE(SniffPicture(bytes)) << bytes.size();
  // A JPEG cut short reads no byte past its end.
  for (size_t n = 3; n < 30; ++n) {
    auto info = SniffPicture(Jpeg(640, 480, 3).substr(0, n));
    ASSERT_TRUE(info);
    EXPECT_EQ(std::u16string(info->type), u"JPG");
  }
}

}  // namespace
