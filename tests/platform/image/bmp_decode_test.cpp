// Bitmap files of every layout the loader takes, built byte by byte: each
// must give the same 2×2 picture (red, green / blue, white, top row first).
#include <gtest/gtest.h>

#include <vector>

#include "platform/image/picture.h"
#include "platform/vb/raises.h"
#include "support/picture_files.h"

namespace {

using image::Rgb;
using qe_test::PutLe;
using vb_test::ErrorOf;

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

struct BmpSpec {
  uint32_t header_size = 40;
  int32_t width = 2;
  int32_t height = 2;  // negative: top-down
  uint16_t bits = 24;
  uint32_t compression = 0;
  std::vector<uint32_t> masks;   // after the header (bit fields)
  std::vector<Rgb> palette;
  int64_t colours_used = -1;     // the header's count; -1: the palette's length
  std::string pixels;            // the rows as stored
};

std::string Build(const BmpSpec& spec) {
  std::string header;
  if (spec.header_size == 12) {
    PutLe(header, 12, 4);
    PutLe(header, spec.width, 2);
    PutLe(header, spec.height, 2);
    PutLe(header, 1, 2);
    PutLe(header, spec.bits, 2);
  } else {
    PutLe(header, spec.header_size, 4);
    PutLe(header, spec.width, 4);
    PutLe(header, static_cast<uint32_t>(spec.height), 4);
    PutLe(header, 1, 2);
    PutLe(header, spec.bits, 2);
    PutLe(header, spec.compression, 4);
    PutLe(header, static_cast<uint32_t>(spec.pixels.size()), 4);
    PutLe(header, 2835, 4);
    PutLe(header, 2835, 4);
    PutLe(header, static_cast<uint32_t>(spec.colours_used >= 0 ? spec.colours_used : spec.palette.size()), 4);
    PutLe(header, 0, 4);
    header.resize(spec.header_size, '\0');
  }
  for (uint32_t mask : spec.masks) PutLe(header, mask, 4);
  for (Rgb c : spec.palette) {
    header += static_cast<char>(c.blue);
    header += static_cast<char>(c.green);
    header += static_cast<char>(c.red);
    if (spec.header_size != 12) header += '\0';
  }
  std::string file = "BM";
  PutLe(file, static_cast<uint32_t>(14 + header.size() + spec.pixels.size()), 4);
  PutLe(file, 0, 4);
  PutLe(file, static_cast<uint32_t>(14 + header.size()), 4);
  return file + header + spec.pixels;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

void ExpectQuad(const image::Bitmap& b) {
  ASSERT_EQ(b.Width(), 2);
  ASSERT_EQ(b.Height(), 2);
  EXPECT_EQ(b.At(0, 0), kRed);
  EXPECT_EQ(b.At(1, 0), kGreen);
  EXPECT_EQ(b.At(0, 1), kBlue);
  EXPECT_EQ(b.At(1, 1), kWhite);
}

const std::vector<Rgb> kQuadPalette{kRed, kGreen, kBlue, kWhite};

TEST(BmpDecode, EveryLayoutGivesTheSamePicture) {
  struct Case {
    const char* name;
    BmpSpec spec;
  };
  // Bottom-up rows unless the height is negative; each row padded to 4 bytes.
  std::vector<Case> cases{
      {"24 bits", {.pixels = Bytes({255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0})}},
      {"24 bits top-down", {.height = -2, .pixels = Bytes({0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0})}},
      {"32 bits", {.bits = 32, .pixels = Bytes({255, 0, 0, 9, 255, 255, 255, 9, 0, 0, 255, 9, 0, 255, 0, 9})}},
      {"32 bits with fields",
       {.bits = 32, .compression = 3, .masks = {0xFF000000, 0x00FF0000, 0x0000FF00},
        .pixels = Bytes({0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0})}},
      {"16 bits 5-5-5", {.bits = 16, .pixels = Bytes({0x1F, 0x00, 0xFF, 0x7F, 0x00, 0x7C, 0xE0, 0x03})}},
      {"16 bits 5-6-5 fields",
       {.bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
        .pixels = Bytes({0x1F, 0x00, 0xFF, 0xFF, 0x00, 0xF8, 0xE0, 0x07})}},
      {"8 bits", {.bits = 8, .palette = kQuadPalette, .pixels = Bytes({2, 3, 0, 0, 0, 1, 0, 0})}},
      {"8 bits, the palette's length left to the bits",
       {.bits = 8, .palette = [] {
          std::vector<Rgb> full(256);
          std::copy(kQuadPalette.begin(), kQuadPalette.end(), full.begin());
          return full;
        }(), .colours_used = 0, .pixels = Bytes({2, 3, 0, 0, 0, 1, 0, 0})}},
      {"4 bits", {.bits = 4, .palette = kQuadPalette, .pixels = Bytes({0x23, 0, 0, 0, 0x01, 0, 0, 0})}},
      {"core header, 24 bits",
       {.header_size = 12, .pixels = Bytes({255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0})}},
      {"core header, 8 bits (three-byte palette)",
       {.header_size = 12, .bits = 8, .palette = kQuadPalette, .pixels = Bytes({2, 3, 0, 0, 0, 1, 0, 0})}},
      {"version 5 header", {.header_size = 124, .pixels = Bytes({255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0})}},
      {"8 bits run-length coded",
       {.bits = 8, .compression = 1, .palette = kQuadPalette, .pixels = Bytes({1, 2, 1, 3, 0, 0, 1, 0, 1, 1, 0, 1})}},
      {"8 bits run-length, literal run",
       {.bits = 8, .compression = 1, .palette = kQuadPalette, .pixels = Bytes({0, 3, 2, 3, 9, 0, 0, 0, 1, 0, 1, 1, 0, 1})}},
      {"4 bits run-length coded",
       {.bits = 4, .compression = 2, .palette = kQuadPalette, .pixels = Bytes({2, 0x23, 0, 0, 2, 0x01, 0, 1})}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectQuad(image::DecodeBmp(Build(c.spec)));
  }
}

TEST(BmpDecode, OneBitRowsReadTheirHighBitFirst) {
  BmpSpec spec{.width = 9, .height = 1, .bits = 1, .palette = {kBlue, kWhite}, .pixels = Bytes({0xA0, 0x80, 0, 0})};
  image::Bitmap b = image::DecodeBmp(Build(spec));
  std::vector<Rgb> row;
  for (int x = 0; x < 9; ++x) row.push_back(b.At(x, 0));
  EXPECT_EQ(row, (std::vector<Rgb>{kWhite, kBlue, kWhite, kBlue, kBlue, kBlue, kBlue, kBlue, kWhite}));
}

TEST(BmpDecode, RunLengthJumpsLeaveBlackAndIgnoreWhatFallsOutside) {
  // A jump right 1 and up 1, then a white run that the row's end cuts.
  BmpSpec spec{.width = 3, .height = 2, .bits = 8, .compression = 1, .palette = kQuadPalette,
               .pixels = Bytes({0, 2, 1, 1, 5, 3, 0, 1})};
  image::Bitmap b = image::DecodeBmp(Build(spec));
  EXPECT_EQ(b.At(0, 1), Rgb{});
  EXPECT_EQ(b.At(0, 0), Rgb{});
  EXPECT_EQ(b.At(1, 0), kWhite);
  EXPECT_EQ(b.At(2, 0), kWhite);
}

TEST(BmpDecode, BrokenAndUnknownLayoutsAreInvalidPictures) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  std::string whole = Build({.pixels = Bytes({255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0})});
  std::vector<Case> cases{
      {"pixels cut short", whole.substr(0, whole.size() - 4)},
      {"header only", whole.substr(0, 30)},
      {"no width", Build({.width = 0, .pixels = std::string(8, '\0')})},
      {"no height", Build({.height = 0})},
      {"bits 2", Build({.bits = 2, .palette = kQuadPalette, .pixels = std::string(8, '\0')})},
      {"embedded JPEG", Build({.compression = 4, .pixels = std::string(16, '\0')})},
      {"run-length top-down", Build({.height = -2, .bits = 8, .compression = 1, .palette = kQuadPalette,
                                     .pixels = Bytes({0, 1})})},
      {"header size 20", Build({.header_size = 20})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ErrorOf([&] { image::DecodeBmp(c.bytes); }), vb::kInvalidPicture);
  }
  // The last row's padding may be missing.
  EXPECT_NO_THROW(image::DecodeBmp(whole.substr(0, whole.size() - 2)));
}

TEST(BmpDecode, ASizeBeyondTheCapRaises5BeforeAllocating) {
  // 20000 × 5001 pixels declared: more than 100 megapixels, whatever the data.
  BmpSpec spec{.width = 20000, .height = 5001, .bits = 8, .compression = 1, .palette = kQuadPalette,
               .pixels = Bytes({0, 1})};
  EXPECT_EQ(ErrorOf([&] { image::DecodeBmp(Build(spec)); }), vb::kInvalidProcedureCall);
  spec.height = -2147483647 - 1;  // the most negative height
  spec.compression = 0;
  EXPECT_EQ(ErrorOf([&] { image::DecodeBmp(Build(spec)); }), vb::kInvalidProcedureCall);
  // 10000 × 10000 is the most there may be.
  EXPECT_NO_THROW(image::CheckDeclaredSize(10000, 10000));
  EXPECT_EQ(ErrorOf([] { image::CheckDeclaredSize(10000, 10001); }), vb::kInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([] { image::CheckDeclaredSize(1, 0); }), vb::kInvalidPicture);
}

}  // namespace
