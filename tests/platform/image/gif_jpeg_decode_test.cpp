// GIF and JPEG loading on pictures the tests encode with giflib and
// libjpeg: the first GIF frame on its screen, and each kind of JPEG.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/image/picture.h"
#include "platform/vb/raises.h"
#include "support/picture_files.h"

namespace {

using image::Rgb;
using qe_test::Near;
using vb_test::ErrorOf;

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

// --- GIF -------------------------------------------------------------------

struct GifFrame {
  int left, top, width, height;
  std::vector<GifPixelType> pixels;  // rows top to bottom
  bool interlace = false;
  int transparent = -1;
};

int AppendTo(GifFileType* gif, const GifByteType* bytes, int count) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), count);
  return count;
}

// A GIF89a of the frames, with a global map red, green, blue, white.
std::string Gif(int screen_width, int screen_height, const std::vector<GifFrame>& frames) {
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, AppendTo, &error);
  EGifSetGifVersion(gif, true);
  GifColorType colours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  ColorMapObject* map = GifMakeMapObject(4, colours);
  EGifPutScreenDesc(gif, screen_width, screen_height, 2, 0, map);
  for (const GifFrame& f : frames) {
    if (f.transparent >= 0) {
      GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, f.transparent};
      GifByteType block[4];
      size_t size = EGifGCBToExtension(&control, block);
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(size), block);
    }
    EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, nullptr);
    std::vector<int> order;
    if (f.interlace) {
      for (int start : {0, 4, 2, 1})
        for (int row = start; row < f.height; row += start == 0 || start == 4 ? 8 : start == 2 ? 4 : 2) order.push_back(row);
    } else {
      for (int row = 0; row < f.height; ++row) order.push_back(row);
    }
    for (int row : order)
      EGifPutLine(gif, const_cast<GifPixelType*>(&f.pixels[static_cast<size_t>(row) * f.width]), f.width);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

TEST(GifDecode, TheFirstFrameLiesOnItsScreenWhiteAroundAndThroughIt) {
  // A 2×2 frame at (1, 1) of a 4×3 screen, index 3 transparent; a second
  // frame covering everything in red is not drawn.
  std::string gif = Gif(4, 3, {{1, 1, 2, 2, {0, 1, 2, 3}, false, 3}, {0, 0, 4, 3, std::vector<GifPixelType>(12, 0)}});
  image::Bitmap b = image::DecodeGif(gif);
  ASSERT_EQ(b.Width(), 4);
  ASSERT_EQ(b.Height(), 3);
  EXPECT_EQ(b.At(0, 0), kWhite);
  EXPECT_EQ(b.At(1, 1), kRed);
  EXPECT_EQ(b.At(2, 1), kGreen);
  EXPECT_EQ(b.At(1, 2), kBlue);
  EXPECT_EQ(b.At(2, 2), kWhite);  // transparent
  EXPECT_EQ(b.At(3, 2), kWhite);
}

TEST(GifDecode, InterlacedRowsLandInOrderAndFramesAreClippedToTheScreen) {
  std::vector<GifPixelType> rows;
  for (int row = 0; row < 10; ++row) rows.push_back(static_cast<GifPixelType>(row % 3));
  image::Bitmap b = image::DecodeGif(Gif(1, 10, {{0, 0, 1, 10, rows, true}}));
  for (int row = 0; row < 10; ++row) EXPECT_EQ(b.At(0, row), (std::vector<Rgb>{kRed, kGreen, kBlue}[row % 3])) << row;
  // A frame reaching past the screen keeps what falls on it.
  image::Bitmap clipped = image::DecodeGif(Gif(2, 2, {{1, 1, 3, 3, std::vector<GifPixelType>(9, 2)}}));
  EXPECT_EQ(clipped.At(1, 1), kBlue);
  EXPECT_EQ(clipped.At(0, 0), kWhite);
}

TEST(GifDecode, BrokenFilesAndCaps) {
  std::string gif = Gif(3, 3, {{0, 0, 3, 3, std::vector<GifPixelType>(9, 1)}});
  // Data that end inside the frame keep the rows that arrived.
  EXPECT_EQ(image::DecodeGif(gif.substr(0, gif.size() - 4)).Width(), 3);
  // No frame at all, or no header.
  std::string no_frame = Gif(3, 3, {});
  EXPECT_EQ(ErrorOf([&] { image::DecodeGif(no_frame); }), vb::kInvalidPicture);
  EXPECT_EQ(ErrorOf([&] { image::DecodeGif(gif.substr(0, 8)); }), vb::kInvalidPicture);
  // A screen of 65535 × 65535 is past the cap; nothing of that size is made.
  std::string huge = Gif(65535, 65535, {{0, 0, 1, 1, {0}}});
  EXPECT_EQ(ErrorOf([&] { image::DecodeGif(huge); }), vb::kInvalidProcedureCall);
}

// --- JPEG ------------------------------------------------------------------

// A JPEG of `height` rows, each `row` (`width` pixels of the colour space's
// samples); `tune` adjusts the settings after the defaults.
std::string CompressRows(int width, int height, int components, J_COLOR_SPACE space, std::vector<uint8_t> row,
                         const std::function<void(jpeg_compress_struct&)>& tune) {
  jpeg_compress_struct c{};
  jpeg_error_mgr errors;
  c.err = jpeg_std_error(&errors);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = components;
  c.in_color_space = space;
  jpeg_set_defaults(&c);
  tune(c);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string out(reinterpret_cast<char*>(buffer), size);
  free(buffer);
  return out;
}

// A 16×8 JPEG, left half `left`, right half `right`, given as the colour
// space's samples.
std::string Jpeg(J_COLOR_SPACE space, int components, std::vector<uint8_t> left, std::vector<uint8_t> right,
                 bool progressive = false) {
  std::vector<uint8_t> row;
  for (int x = 0; x < 16; ++x) {
    const std::vector<uint8_t>& px = x < 8 ? left : right;
    row.insert(row.end(), px.begin(), px.end());
  }
  return CompressRows(16, 8, components, space, std::move(row), [&](jpeg_compress_struct& c) {
    jpeg_set_quality(&c, 100, TRUE);
    if (progressive) jpeg_simple_progression(&c);
  });
}

// An 8×8 grey progressive JPEG of `scans` scans (2 to 694): the DC scan,
// then AC coefficients one at a time, each sent in up to 11 bit planes.
std::string ProgressiveJpeg(int scans) {
  std::vector<jpeg_scan_info> script{{1, {0}, 0, 0, 0, 0}};
  for (int k = 1; k <= 63 && static_cast<int>(script.size()) < scans; ++k) {
    int planes = std::min(11, scans - static_cast<int>(script.size()));
    script.push_back({1, {0}, k, k, 0, planes - 1});
    for (int al = planes - 2; al >= 0; --al) script.push_back({1, {0}, k, k, al + 1, al});
  }
  std::vector<uint8_t> row(8);
  for (int x = 0; x < 8; ++x) row[static_cast<size_t>(x)] = static_cast<uint8_t>(x * 30);
  return CompressRows(8, 8, 1, JCS_GRAYSCALE, std::move(row), [&](jpeg_compress_struct& c) {
    c.scan_info = script.data();
    c.num_scans = static_cast<int>(script.size());
  });
}

TEST(JpegDecode, EachKindComesOutInRgb) {
  struct Case {
    const char* name;
    std::string bytes;
    Rgb left, right;
  };
  std::vector<Case> cases{
      {"baseline colour", Jpeg(JCS_RGB, 3, {255, 0, 0}, {0, 0, 255}), kRed, kBlue},
      {"progressive", Jpeg(JCS_RGB, 3, {0, 255, 0}, {255, 255, 255}, true), kGreen, kWhite},
      {"grey", Jpeg(JCS_GRAYSCALE, 1, {40}, {200}), {40, 40, 40}, {200, 200, 200}},
      // Adobe's CMYK is stored inverted (255 is no ink): red is no cyan, full
      // magenta and yellow, no black.
      {"CMYK", Jpeg(JCS_CMYK, 4, {255, 0, 0, 255}, {255, 255, 255, 0}), kRed, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    image::Bitmap b = image::DecodeJpeg(c.bytes);
    ASSERT_EQ(b.Width(), 16);
    ASSERT_EQ(b.Height(), 8);
    EXPECT_TRUE(Near(b.At(2, 4), c.left, 6));
    EXPECT_TRUE(Near(b.At(13, 4), c.right, 6));
  }
}

TEST(JpegDecode, BrokenFilesAndCaps) {
  image::Bitmap stripes(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) stripes.Set(x, y, Rgb{static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4), 0});
  std::string whole = qe_test::JpegBytes(stripes);
  // Data that end inside the scan still give the picture, its missing part filled.
  EXPECT_EQ(image::DecodeJpeg(whole.substr(0, whole.size() * 4 / 5)).Width(), 64);
  std::string jpeg = Jpeg(JCS_RGB, 3, {255, 0, 0}, {0, 0, 255});
  EXPECT_EQ(ErrorOf([&] { image::DecodeJpeg(jpeg.substr(0, 20)); }), vb::kInvalidPicture);
  EXPECT_EQ(ErrorOf([&] { image::DecodeJpeg("\xFF\xD8 not a picture"); }), vb::kInvalidPicture);
  // The frame header says 65000 × 65000: past the cap before any pixel is made.
  std::string huge = jpeg;
  size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  huge.replace(sof + 5, 4, "\xFD\xE8\xFD\xE8");
  EXPECT_EQ(ErrorOf([&] { image::DecodeJpeg(huge); }), vb::kInvalidProcedureCall);

  // Each scan can make the decoder go over the whole picture again: past 500
  // the file is refused.
  EXPECT_EQ(image::DecodeJpeg(ProgressiveJpeg(500)).Width(), 8);
  std::string many = ProgressiveJpeg(600);
  size_t scans = 0;
  for (size_t at = many.find("\xFF\xDA"); at != std::string::npos; at = many.find("\xFF\xDA", at + 2)) ++scans;
  ASSERT_EQ(scans, 600u);
  EXPECT_EQ(ErrorOf([&] { image::DecodeJpeg(many); }), vb::kInvalidPicture);
}

TEST(LoadPicture, TellsTheKindByTheBytesAndRefusesOthers) {
  image::Bitmap quad(2, 1, kGreen);
  EXPECT_EQ(image::DecodePicture(qe_test::BmpBytes(quad)).At(1, 0), kGreen);
  EXPECT_TRUE(Near(image::DecodePicture(qe_test::JpegBytes(quad)).At(1, 0), kGreen, 6));
  EXPECT_EQ(image::DecodePicture(Gif(1, 1, {{0, 0, 1, 1, {2}}})).At(0, 0), kBlue);
  std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
  for (std::string bytes : {png, std::string("GIF8"), std::string("text"), std::string()}) {
    EXPECT_EQ(ErrorOf([&] { image::DecodePicture(bytes); }), vb::kInvalidPicture);
  }
}

}  // namespace
