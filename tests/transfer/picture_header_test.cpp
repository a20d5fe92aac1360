// The header table of KesraGetImageInfo, boundaries first: signed fields,
// each PNG colour type, GIF colour resolution, the JPEG segment walk, files
// that end early.
#include "transfer/picture_header.h"

#include <gtest/gtest.h>

#include "transfer/picture_bytes.h"

namespace {

using qe::PictureHeaderInfo;
namespace pb = picture_bytes;

struct Case {
  const char* name;
  std::string bytes;
  vb::String expected;
};

void ExpectEach(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(PictureHeaderInfo(c.bytes), c.expected) << c.name;
}

// A BMP header with a top-down (negative) height.
std::string TopDownBmp() {
  std::string s = pb::Bmp(16, 0, 24);
  std::string negative;
  pb::Le32(negative, static_cast<uint32_t>(-16));
  return s.replace(22, 4, negative);
}

TEST(PictureHeader, Bmp) {
  ExpectEach({
      {"16 × 16, 24 bits", pb::Bmp(16, 16, 24), u"BMP|16|16|24"},
      {"top-down: the negative height gives 0", TopDownBmp(), u"BMP|16|0|24"},
      {"2^31 - 1 wide", pb::Bmp(0x7FFFFFFF, 1, 8), u"BMP|2147483647|1|8"},
      {"2^31 wide gives 0", pb::Bmp(0x80000000u, 1, 8), u"BMP|0|1|8"},
      {"bits 32768 or more give 0", pb::Bmp(1, 1, 0x8000), u"BMP|1|1|0"},
      {"only the signature", "BM", u"BMP|0|0|0"},
      {"cut inside the width", pb::Bmp(0x01020304, 1, 8).substr(0, 20), u"BMP|772|0|0"},
  });
}

TEST(PictureHeader, PngEachColourType) {
  ExpectEach({
      {"grey", pb::Png(10, 20, 8, 0), u"PNG|10|20|8"},
      {"truecolour", pb::Png(10, 20, 8, 2), u"PNG|10|20|24"},
      {"palette", pb::Png(10, 20, 4, 3), u"PNG|10|20|4"},
      {"grey with alpha", pb::Png(10, 20, 8, 4), u"PNG|10|20|16"},
      {"truecolour with alpha", pb::Png(10, 20, 8, 6), u"PNG|10|20|32"},
      {"16 bits a sample with alpha", pb::Png(10, 20, 16, 6), u"PNG|10|20|64"},
      {"an unknown type keeps the depth", pb::Png(10, 20, 8, 5), u"PNG|10|20|8"},
      {"the low half of the width", pb::Png(0x00010005, 7, 8, 0), u"PNG|5|7|8"},
      {"32767 wide", pb::Png(32767, 1, 8, 0), u"PNG|32767|1|8"},
      {"32768 wide gives 0", pb::Png(32768, 1, 8, 0), u"PNG|0|1|8"},
      {"no header chunk", std::string("\x89PNG", 4), u"PNG|0|0|0"},
  });
}

TEST(PictureHeader, GifColourResolution) {
  ExpectEach({
      {"resolution field 7", pb::Gif(320, 200, 0x70), u"GIF|320|200|8"},
      {"resolution field 0", pb::Gif(320, 200, 0x8F), u"GIF|320|200|1"},
      {"resolution field 3", pb::Gif(1, 1, 0x30), u"GIF|1|1|4"},
      {"32768 high gives 0", pb::Gif(5, 32768, 0), u"GIF|5|0|1"},
      {"GIF87a too", "GIF87a" + pb::Gif(7, 9, 0x10).substr(6), u"GIF|7|9|2"},
      {"only GIF8", "GIF8", u"GIF|0|0|1"},
  });
}

// SOI, then the segments given, then the rest.
std::string JpegOf(std::initializer_list<std::string> segments) {
  std::string s("\xFF\xD8", 2);
  for (const std::string& segment : segments) s += segment;
  return s;
}

std::string Frame(uint8_t marker, uint32_t width, uint32_t height, uint8_t components);

// A segment whose data repeat `pattern`.
std::string Segment(uint8_t marker, size_t length, std::string_view pattern = std::string_view("\0", 1)) {
  std::string s("\xFF", 1);
  s += static_cast<char>(marker);
  pb::Be16(s, static_cast<uint32_t>(length));
  for (size_t i = 2; i < length; ++i) s += pattern[(i - 2) % pattern.size()];
  return s;
}

std::string Frame(uint8_t marker, uint32_t width, uint32_t height, uint8_t components) {
  std::string s("\xFF", 1);
  s += static_cast<char>(marker);
  pb::Be16(s, 8 + 3 * components);
  s += '\x08';
  pb::Be16(s, height);
  pb::Be16(s, width);
  s += static_cast<char>(components);
  return s + std::string(3 * components, '\x11');
}

TEST(PictureHeader, JpegSegments) {
  ExpectEach({
      {"baseline colour", pb::Jpeg(640, 480, 3), u"JPG|640|480|24"},
      {"grey", pb::Jpeg(8, 8, 1), u"JPG|8|8|8"},
      {"progressive (C2)", pb::Jpeg(100, 50, 3, 0xC2), u"JPG|100|50|24"},
      {"lossless (C3) is the last that counts", pb::Jpeg(100, 50, 3, 0xC3), u"JPG|100|50|24"},
      {"C4 (a table) is skipped", JpegOf({Segment(0xC4, 20), Frame(0xC1, 7, 9, 3)}), u"JPG|7|9|24"},
      {"fill bytes before a marker", pb::Jpeg(33, 44, 3, 0xC0, 5), u"JPG|33|44|24"},
      {"32768 wide gives 0", pb::Jpeg(32768, 44, 3), u"JPG|0|44|24"},
      {"no frame header", JpegOf({Segment(0xE0, 16), Segment(0xDB, 67)}) + "\xFF\xD9", u"JPG|0|0|0"},
      // A length of 32768 or more is passed over whole, not read as 0: the
      // frame headers inside its data are not the picture's.
      {"a long APP segment", JpegOf({Segment(0xE1, 40000, Frame(0xC0, 99, 99, 3)), Frame(0xC0, 12, 34, 3)}),
       u"JPG|12|34|24"},
      {"the longest segment", JpegOf({Segment(0xE2, 65535, Frame(0xC2, 99, 99, 1)), Frame(0xC0, 1, 2, 1)}),
       u"JPG|1|2|8"},
      {"32767 long", JpegOf({Segment(0xE2, 32767, Frame(0xC2, 99, 99, 1)), Frame(0xC0, 3, 4, 1)}), u"JPG|3|4|8"},
      // Lengths 0 and 1 still move the walk on.
      {"a zero length", JpegOf({Segment(0xE0, 0), Frame(0xC0, 5, 6, 3)}), u"JPG|5|6|24"},
      {"a length past the end", JpegOf({Segment(0xE0, 2) + std::string("\xFF\xE1\xFF\xF0", 4)}), u"JPG|0|0|0"},
      {"a frame header cut short", JpegOf({Frame(0xC0, 0x0102, 0x0304, 3).substr(0, 7)}), u"JPG|0|772|0"},
      {"only the signature", "\xFF\xD8\xFF", u"JPG|0|0|0"},
  });
}

TEST(PictureHeader, AnythingElse) {
  ExpectEach({
      {"text", "just some text in a file", u"|0|0|0"},
      {"empty", "", u"|0|0|0"},
      {"one byte of a signature", "B", u"|0|0|0"},
      {"JPEG without the third byte", "\xFF\xD8\x00\x00", u"|0|0|0"},
      {"PNG's first three bytes", "\x89PN", u"|0|0|0"},
  });
}

}  // namespace
