#pragma once
// Pictures that tests make: bitmaps filled or drawn by the test, written as
// 24-bit BMP or JPEG bytes, and pixel comparisons within a tolerance.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/image/bitmap.h"
#include "platform/image/gdiplus.h"
#include "platform/image/picture.h"

namespace qe_test {

inline void PutLe(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 24-bit bitmap file, bottom-up, rows padded to four bytes.
inline std::string BmpBytes(const image::Bitmap& b) {
  const uint32_t stride = (b.Width() * 3 + 3) & ~3u;
  std::string s = "BM";
  PutLe(s, 54 + stride * b.Height(), 4);
  PutLe(s, 0, 4);
  PutLe(s, 54, 4);
  PutLe(s, 40, 4);
  PutLe(s, b.Width(), 4);
  PutLe(s, b.Height(), 4);
  PutLe(s, 1, 2);
  PutLe(s, 24, 2);
  s += std::string(24, '\0');
  for (int y = b.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < b.Width(); ++x) {
      image::Rgb c = b.At(x, y);
      s += static_cast<char>(c.blue);
      s += static_cast<char>(c.green);
      s += static_cast<char>(c.red);
    }
    s += std::string(stride - b.Width() * 3, '\0');
  }
  return s;
}

inline std::string JpegBytes(const image::Bitmap& b, int quality = 100) {
  std::string out;
  EXPECT_EQ(gdiplus::EncodeJpeg(b, quality, out), gdiplus::Ok);
  return out;
}

inline std::string ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

inline image::Bitmap ReadPicture(const std::filesystem::path& path) {
  return image::DecodePicture(ReadHostFile(path));
}

// Each channel within `tolerance` of the expected colour.
inline ::testing::AssertionResult Near(image::Rgb actual, image::Rgb expected, int tolerance) {
  auto off = [&](int a, int e) { return std::abs(a - e) > tolerance; };
  if (off(actual.red, expected.red) || off(actual.green, expected.green) || off(actual.blue, expected.blue))
    return ::testing::AssertionFailure() << "(" << +actual.red << "," << +actual.green << "," << +actual.blue
                                         << ") is not within " << tolerance << " of (" << +expected.red << ","
                                         << +expected.green << "," << +expected.blue << ")";
  return ::testing::AssertionSuccess();
}

}  // namespace qe_test
