// The façade's image members: they work on its one image object, so what a
// call sets stays set; picture headers and the first part of a body.
#include <gtest/gtest.h>

#include "platform/com/registry.h"
#include "platform/vb/raises.h"
#include "facade/qecls.h"
#include "support/picture_files.h"
#include "support/temp_site.h"

namespace {

using image::Bitmap;
using image::Rgb;
using vb::String;
using vb::Variant;
using vb_test::ErrorOf;

class QeClsImage : public testing::Test {
 protected:
  void SetUp() override {
    qe::RegisterComponentClasses();
    facade_ = com::CreateObject(u"QE.QeCls");
  }
  Bitmap Picture(const std::string& name) { return qe_test::ReadPicture(site_.Host("site/" + name)); }

  qe_test::TempSite site_;
  Variant facade_;
};

TEST_F(QeClsImage, WhatACallSetsStaysSetForTheNext) {
  site_.WriteFile("site/a.bmp", qe_test::BmpBytes(Bitmap(300, 100, Rgb{255, 255, 255})));
  com::Call(facade_, u"CommImageOutputPreview", u"C:\\site\\a.bmp", u"C:\\site\\p.jpg", 120, 90);
  EXPECT_EQ(Picture("p.jpg").Width(), 120);
  EXPECT_EQ(Picture("p.jpg").Height(), 90);
  // Rate 0 now takes the width and height the preview set.
  com::Call(facade_, u"KesraImageOutputTxtImg", u"C:\\site\\a.bmp", u"C:\\site\\t.jpg", u"校园", u"#FF0000", 0);
  EXPECT_EQ(Picture("t.jpg").Width(), 120);
  EXPECT_EQ(Picture("t.jpg").Height(), 90);
  EXPECT_EQ(com::Call(facade_, u"CommGetImageInfo", u"C:\\site\\t.jpg"), Variant(u"JPG|120|90|24"));
  // Another façade has an image object of its own.
  Variant other(com::CreateObject(u"QE.QeCls"));
  EXPECT_EQ(ErrorOf([&] { com::Call(other, u"KesraImageOutputTxtImg", u"C:\\site\\a.bmp", u"C:\\site\\u.jpg", u"x",
                                    u"#FF0000", 0); }),
            vb::kInvalidProcedureCall);
}

TEST_F(QeClsImage, TextWatermarkWithTheDefaultsIsRed) {
  site_.WriteFile("site/a.bmp", qe_test::BmpBytes(Bitmap(240, 200, Rgb{255, 255, 255})));
  com::Call(facade_, u"KesraImageOutputTxtImg", u"C:\\site\\a.bmp", u"C:\\site\\b.jpg", u"■■■");
  Bitmap b = Picture("b.jpg");
  ASSERT_EQ(b.Width(), 240);  // the default rate 1
  // The text turned 25 degrees from (10, 100): some of it is red.
  int red = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (qe_test::Near(b.At(x, y), Rgb{255, 0, 0}, 40)) ++red;
  EXPECT_GT(red, 500);
  for (int y = 0; y < 60; ++y) EXPECT_TRUE(qe_test::Near(b.At(200, y), Rgb{255, 255, 255}, 8));
}

TEST_F(QeClsImage, MarkWatermarkLeavesTheAlphaVariableAsItWas) {
  site_.WriteFile("site/a.bmp", qe_test::BmpBytes(Bitmap(50, 150, Rgb{0, 0, 0})));
  site_.WriteFile("site/m.bmp", qe_test::BmpBytes(Bitmap(10, 10, Rgb{255, 255, 255})));
  Variant alpha(int16_t{255});
  com::Call(facade_, u"KesraImageOutputMarkImg", u"C:\\site\\a.bmp", u"C:\\site\\m.bmp", u"C:\\site\\o.jpg", 1, 10, 100,
            alpha);
  EXPECT_EQ(alpha, Variant(int16_t{255}));
  EXPECT_TRUE(qe_test::Near(Picture("o.jpg").At(15, 105), Rgb{255, 255, 255}, 4));
  EXPECT_TRUE(qe_test::Near(Picture("o.jpg").At(15, 95), Rgb{0, 0, 0}, 4));
  Variant too_much(300);
  EXPECT_EQ(ErrorOf([&] { com::Call(facade_, u"KesraImageOutputMarkImg", u"C:\\site\\a.bmp", u"C:\\site\\m.bmp",
                                    u"C:\\site\\o2.jpg", 1, 10, 100, too_much); }),
            vb::kOverflow);
  EXPECT_EQ(ErrorOf([&] { com::Call(facade_, u"KesraImageOutputMarkImg", u"C:\\site\\a.bmp", u"C:\\site\\none.bmp",
                                    u"C:\\site\\o2.jpg"); }),
            vb::vbObjectError + 514);
  EXPECT_FALSE(std::filesystem::exists(site_.Host("site/o2.jpg")));
}

TEST_F(QeClsImage, ImageInfoOfFilesAndOfWhatIsNoFile) {
  site_.WriteFile("site/a.bmp", qe_test::BmpBytes(Bitmap(16, 16)));
  site_.WriteFile("site/t.txt", "text");
  site_.WriteFile("site/图.gif", std::string("GIF89a\x05\0\x06\0\x70", 11));
  site_.MakeFolder("site/folder");
  const std::pair<String, String> cases[] = {
      {u"C:\\site\\a.bmp", u"BMP|16|16|24"}, {u"C:\\site\\图.gif", u"GIF|5|6|8"},
      {u"C:\\site\\t.txt", u"|0|0|0"},      {u"C:\\site\\none.jpg", u"|0|0|0"},
      {u"C:\\site\\folder", u"|0|0|0"},     {u"Z:\\nowhere.jpg", u"|0|0|0"},
      {u"", u"|0|0|0"},
  };
  for (const auto& [path, info] : cases)
    EXPECT_EQ(com::Call(facade_, u"CommGetImageInfo", path), Variant(info)) << vb::ToUtf8(path);
}

std::vector<uint8_t> BytesOf(const Variant& v) { return v.As<vb::Array>().Bytes(); }

std::vector<uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

TEST_F(QeClsImage, BinFromImageCutsTheFirstPartWithTheCrLfBeforeTheDelimiter) {
  const std::string body =
      "--XyZ\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a.gif\"\r\n\r\nGIF\r\n--X\r\n--XyZ--\r\n";
  Variant size(0);
  Variant data(vb::Array::OfBytes(Bytes(body)));
  Variant result = com::Call(facade_, u"CommGetBinFromImage", size, data);
  ASSERT_EQ(result.Type(), vb::vbArray | vb::vbByte);
  EXPECT_EQ(BytesOf(result), Bytes("GIF\r\n--X\r\n"));
  // A byte string carries the same bytes, two to a character.
  std::string even = body + "x";
  String byte_string;
  for (size_t i = 0; i < even.size(); i += 2)
    byte_string += static_cast<char16_t>(static_cast<uint8_t>(even[i]) | static_cast<uint8_t>(even[i + 1]) << 8);
  Variant text(byte_string);
  EXPECT_EQ(BytesOf(com::Call(facade_, u"CommGetBinFromImage", size, text)), Bytes("GIF\r\n--X\r\n"));
  // Empty data: just the CR LF.
  Variant empty(vb::Array::OfBytes(Bytes("--b\r\nh\r\n\r\n\r\n--b--")));
  EXPECT_EQ(BytesOf(com::Call(facade_, u"CommGetBinFromImage", size, empty)), Bytes("\r\n"));
}

TEST_F(QeClsImage, BinFromImageRaises5OnBodiesWithoutItsMarks) {
  Variant size;
  for (std::string body : {std::string("no line break at all"), std::string("\r\n\r\ndata\r\n\r\n"),
                           std::string("--b\r\nno blank line\r\n--b"), std::string("--b\r\nh\r\n\r\ndata, no end"),
                           std::string("--b\r\nh\r\n\r\n"), std::string()}) {
    Variant data(vb::Array::OfBytes(Bytes(body)));
    EXPECT_EQ(ErrorOf([&] { com::Call(facade_, u"CommGetBinFromImage", size, data); }), vb::kInvalidProcedureCall)
        << body;
  }
  Variant number(5), empty;
  EXPECT_EQ(ErrorOf([&] { com::Call(facade_, u"CommGetBinFromImage", size, number); }), vb::kTypeMismatch);
  EXPECT_EQ(ErrorOf([&] { com::Call(facade_, u"CommGetBinFromImage", size, empty); }), vb::kInvalidProcedureCall);
}

}  // namespace
