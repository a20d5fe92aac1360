// The image class's output methods on pictures the tests make in a
// temporary site: sizes, where the watermarks land, the order of its errors
// and that nothing is written when one is raised.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "platform/com/registry.h"
#include "platform/image/bitmap_handles.h"
#include "platform/vb/raises.h"
#include "facade/qecls.h"
#include "support/picture_files.h"
#include "support/temp_site.h"
#include "transfer/fore_color.h"
#include "transfer/kesra_class_image.h"

namespace {

using image::Bitmap;
using image::Rgb;
using qe_test::Near;
using vb::String;
using vb::Variant;
using vb_test::ErrorOf;

constexpr int32_t kLoadFailed = vb::vbObjectError + 513;
constexpr int32_t kMaskLoadFailed = vb::vbObjectError + 514;
constexpr int32_t kSaveFailed = vb::vbObjectError + 515;
constexpr Rgb kWhite{255, 255, 255};

class KesraImageOutput : public testing::Test {
 protected:
  void SetUp() override {
    qe::RegisterComponentClasses();
    object_ = com::CreateObject(u"QE.Kesra_Class_Image");
    image_ = std::dynamic_pointer_cast<qe::Kesra_Class_Image>(object_.As<vb::ObjectPtr>());
  }
  // Writes the picture as a BMP under C:\site and gives its Windows path.
  String Put(const std::string& name, const Bitmap& b) {
    site_.WriteFile("site/" + name, qe_test::BmpBytes(b));
    return u"C:\\site\\" + vb::FromUtf8(name);
  }
  Bitmap Result(const std::string& name = "out.jpg") { return qe_test::ReadPicture(site_.Host("site/" + name)); }
  bool Written(const std::string& name = "out.jpg") { return std::filesystem::exists(site_.Host("site/" + name)); }
  void Let(const char16_t* property, Variant value) { com::Let(object_, property, std::move(value)); }

  qe_test::TempSite site_;
  Variant object_;
  std::shared_ptr<qe::Kesra_Class_Image> image_;
  const String out_ = u"C:\\site\\out.jpg";
};

TEST_F(KesraImageOutput, SizesByRateOrByWidthAndHeight) {
  struct Case {
    float rate;
    int32_t width, height;
    int source_width, source_height;
    int expected_width, expected_height;
  };
  const Case cases[] = {
      {0.5f, 0, 0, 80, 60, 40, 30},
      {0, 120, 90, 80, 60, 120, 90},  // whatever the source's proportions
      {0, 7, 200, 80, 60, 7, 200},
      {1, 5, 5, 80, 60, 80, 60},       // the size only counts when the rate is 0
      {0.5f, 0, 0, 5, 3, 2, 2},        // 2.5 and 1.5 to even
      {1.5f, 0, 0, 5, 3, 8, 4},        // 7.5 to 8, 4.5 to 4
      {0.1f, 0, 0, 16384, 10, 1638, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " " << c.width << "x" << c.height);
    Let(u"LoadFromFile", Put("a.bmp", Bitmap(c.source_width, c.source_height, Rgb{50, 60, 70})));
    Let(u"Rate", c.rate);
    Let(u"Width", c.width);
    Let(u"Height", c.height);
    com::Call(object_, u"KesraImageOutputPreview", out_);
    Bitmap out = Result();
    EXPECT_EQ(out.Width(), c.expected_width);
    EXPECT_EQ(out.Height(), c.expected_height);
    EXPECT_TRUE(Near(out.At(0, 0), Rgb{50, 60, 70}, 3));
  }
}

TEST_F(KesraImageOutput, TargetsOutsideOneTo16384PixelsRaise5AndWriteNothing) {
  Let(u"LoadFromFile", Put("a.bmp", Bitmap(40, 30)));
  struct Case {
    float rate;
    int32_t width, height;
  };
  for (Case c : {Case{0, 0, 10}, Case{0, 10, 0}, Case{0, -5, 10}, Case{0, 16385, 1}, Case{0, 1, INT_MAX},
                 Case{-1, 0, 0}, Case{0.01f, 0, 0}, Case{410, 0, 0}, Case{3e38f, 0, 0}}) {
    SCOPED_TRACE(testing::Message() << c.rate << " " << c.width << "x" << c.height);
    Let(u"Rate", c.rate);
    Let(u"Width", c.width);
    Let(u"Height", c.height);
    EXPECT_EQ(ErrorOf([&] { image_->KesraImageOutputPreview(out_); }), vb::kInvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { image_->KesraImageOutputTxtImg(out_, u"#000000"); }), vb::kInvalidProcedureCall);
    EXPECT_FALSE(Written());
  }
  Let(u"Rate", 0);
  Let(u"Width", 16384);
  Let(u"Height", 1);
  image_->KesraImageOutputPreview(out_);
  EXPECT_EQ(Result().Width(), 16384);
}

TEST_F(KesraImageOutput, TextIsDrawnInSourcePixelsBeforeScaling) {
  // 800 × 600 at half size: the text's corner (10, 100) lands at (5, 50).
  Let(u"LoadFromFile", Put("a.bmp", Bitmap(800, 600, kWhite)));
  Let(u"MaskText", u"■");
  Let(u"MaskTextFontName", u"Monotype Corsiva");
  Let(u"Rate", 0.5f);
  image_->KesraImageOutputTxtImg(out_, u"#0000FF", 0, 100, 10, 100);
  Bitmap out = Result();
  ASSERT_EQ(out.Width(), 400);
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
  for (int y = 0; y < out.Height(); ++y)
    for (int x = 0; x < out.Width(); ++x)
      if (!Near(out.At(x, y), kWhite, 24)) {
        left = std::min(left, x), top = std::min(top, y);
        right = std::max(right, x), bottom = std::max(bottom, y);
      }
  ASSERT_GE(right, 0);
  EXPECT_GE(left, 4);
  EXPECT_GE(top, 49);
  EXPECT_LE(bottom, 50 + 50 + 1);  // half the 100-pixel cell
  EXPECT_LT(left, 5 + 20);
  EXPECT_TRUE(Near(out.At((left + right) / 2, (top + bottom) / 2), Rgb{0, 0, 255}, 24));
}

TEST_F(KesraImageOutput, ImageWatermarksBlendWithTheirAlpha) {
  const Rgb under{200, 200, 200}, mark{0, 0, 255};
  Let(u"LoadFromFile", Put("a.bmp", Bitmap(200, 200, under)));
  Let(u"LoadFromMaskImgFile", Put("m.bmp", Bitmap(64, 64, mark)));
  Let(u"Rate", 1);
  for (float alpha : {0.0f, 70.0f, 255.0f}) {
    SCOPED_TRACE(alpha);
    float a = alpha;
    image_->KesraImageOutputMarkImg(out_, 10, 100, a);
    Bitmap out = Result();
    double f = alpha / 255;
    auto blend = [&](int w, int s) { return static_cast<uint8_t>(std::lround(w * f + s * (1 - f))); };
    EXPECT_TRUE(Near(out.At(40, 130), Rgb{blend(0, 200), blend(0, 200), blend(255, 200)}, 3));
    EXPECT_TRUE(Near(out.At(5, 95), under, 3));     // above and left of the mark
    EXPECT_TRUE(Near(out.At(100, 180), under, 3));  // right of it
  }
}

TEST_F(KesraImageOutput, AlphaMustBeAByte) {
  Let(u"LoadFromFile", Put("a.bmp", Bitmap(20, 20, kWhite)));
  Let(u"LoadFromMaskImgFile", Put("m.bmp", Bitmap(4, 4)));
  Let(u"Rate", 1);
  for (float alpha : {-0.6f, 255.5f, 256.0f, 1e9f}) {
    EXPECT_EQ(ErrorOf([&] { image_->KesraImageOutputMarkImg(out_, 0, 0, alpha); }), vb::kOverflow) << alpha;
    EXPECT_FALSE(Written());
  }
  for (float alpha : {-0.4f, 255.4f}) EXPECT_EQ(ErrorOf([&] { image_->KesraImageOutputMarkImg(out_, 0, 0, alpha); }), 0);
}

TEST_F(KesraImageOutput, MissingFilesRaise513Then514AndWriteNothing) {
  String source = Put("a.bmp", Bitmap(20, 20)), mark = Put("m.bmp", Bitmap(4, 4));
  site_.WriteFile("site/kept.jpg", "old");
  const String kept = u"C:\\site\\kept.jpg";
  Let(u"Rate", 1);
  float alpha = 70;
  auto run = [&](String from, String with) {
    Let(u"LoadFromFile", from);
    Let(u"LoadFromMaskImgFile", with);
    return ErrorOf([&] { image_->KesraImageOutputMarkImg(kept, 10, 10, alpha); });
  };
  EXPECT_EQ(run(u"C:\\site\\none.bmp", u"C:\\site\\none.bmp"), kLoadFailed);
  EXPECT_EQ(run(source, u"C:\\site\\none.bmp"), kMaskLoadFailed);
  EXPECT_EQ(run(u"", mark), kLoadFailed);
  site_.MakeFolder("site/folder.bmp");
  EXPECT_EQ(run(u"C:\\site\\folder.bmp", mark), kLoadFailed);  // a folder is no file
  EXPECT_EQ(run(u"C:\\site\\A.BMP", u"C:\\site\\M.bmp"), 0);    // names in any case
  site_.WriteFile("site/kept.jpg", "old");
  EXPECT_EQ(run(source, u"C:\\site\\*.bmp"), kMaskLoadFailed);  // no wildcards
  EXPECT_EQ(qe_test::ReadHostFile(site_.Host("site/kept.jpg")), "old");
  try {
    Let(u"LoadFromFile", u"C:\\site\\none.bmp");
    image_->KesraImageOutputPreview(out_);
    FAIL();
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Description(), u"装载文件时发生了错误,请检查");
  }
  EXPECT_FALSE(Written());
}

TEST_F(KesraImageOutput, SourcesOfEachKindAndNoOther) {
  Bitmap green(30, 20, Rgb{0, 200, 0});
  site_.WriteFile("site/a.jpg", qe_test::JpegBytes(green));
  Let(u"LoadFromFile", u"C:\\site\\a.jpg");
  Let(u"Rate", 2);
  image_->KesraImageOutputPreview(out_);
  EXPECT_EQ(Result().Width(), 60);
  EXPECT_TRUE(Near(Result().At(30, 20), Rgb{0, 200, 0}, 4));
  // A PNG, or text, named .jpg: not a picture the loader takes.
  site_.WriteFile("site/p.jpg", std::string("\x89PNG\r\n\x1A\n", 8) + std::string(40, '\0'));
  Let(u"LoadFromFile", u"C:\\site\\p.jpg");
  EXPECT_EQ(ErrorOf([&] { image_->KesraImageOutputPreview(u"C:\\site\\p-out.jpg"); }), vb::kInvalidPicture);
  EXPECT_FALSE(Written("p-out.jpg"));
}

TEST_F(KesraImageOutput, SaveJpgAnswersTheGraphicsLibrarysStatus) {
  auto bitmap = std::make_shared<const Bitmap>(6, 4, Rgb{9, 9, 9});
  image::ScopedBitmapHandle handle(bitmap);
  image_->KesraImageSaveJpg(handle.Get(), out_, 80);
  EXPECT_EQ(Result().Width(), 6);
  auto description = [&](int32_t pic, const String& target, uint8_t quality) {
    try {
      image_->KesraImageSaveJpg(pic, target, quality);
    } catch (const vb::Error& e) {
      return std::to_string(e.Number()) + " " + vb::ToUtf8(e.Description());
    }
    return std::string("none");
  };
  const std::string bad = std::to_string(kSaveFailed) + " 保存图像发生了错误,错误号:";
  EXPECT_EQ(description(12345, u"C:\\site\\x.jpg", 100), bad + "2");  // an unknown handle
  EXPECT_EQ(description(handle.Get(), u"C:\\site\\x.jpg", 101), bad + "2");
  EXPECT_EQ(description(handle.Get(), u"C:\\site\\no\\x.jpg", 100), bad + "7");
  EXPECT_FALSE(Written("x.jpg"));
  // Late-bound: the quality is a byte, 100 when left out.
  EXPECT_EQ(ErrorOf([&] { com::Call(object_, u"KesraImageSaveJpg", handle.Get(), u"C:\\site\\y.jpg", 256); }), vb::kOverflow);
  com::Call(object_, u"KesraImageSaveJpg", handle.Get(), u"C:\\site\\y.jpg");
  EXPECT_EQ(Result("y.jpg").Height(), 4);
}

TEST(ForeColorValue, HtmlColoursVbNumbersAndNothingElse) {
  const std::pair<String, uint32_t> good[] = {
      {u"#FF0000", 0x0000FF}, {u"#00ff00", 0x00FF00}, {u"#0000FF", 0xFF0000}, {u" #123456 ", 0x563412},
      {u"255", 255},          {u"&HFF0000", 0xFF0000}, {u"16711680", 0xFF0000}, {u"1.6", 2},
      {u"-1", 0xFFFFFF},
  };
  for (const auto& [text, value] : good) EXPECT_EQ(qe::ForeColorValue(text), value) << vb::ToUtf8(text);
  for (const char16_t* text : {u"#F00", u"#GG0000", u"#FF00000", u"red", u"", u"#"})
    EXPECT_EQ(ErrorOf([&] { qe::ForeColorValue(text); }), vb::kTypeMismatch) << vb::ToUtf8(text);
}

}  // namespace
