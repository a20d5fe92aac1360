// The image class's properties, as pages write them before an output call.
#include "transfer/kesra_class_image.h"

#include <gtest/gtest.h>

#include "common/system_title.h"
#include "platform/com/registry.h"
#include "platform/vb/raises.h"
#include "facade/qecls.h"

namespace {

using qe::Kesra_Class_Image;
using vb::String;
using vb::Variant;
using vb_test::ErrorOf;

std::shared_ptr<Kesra_Class_Image> NewImage() {
  qe::RegisterComponentClasses();
  auto object = std::dynamic_pointer_cast<Kesra_Class_Image>(com::CreateObject(u"QE.Kesra_Class_Image"));
  EXPECT_TRUE(object);
  return object;
}

TEST(KesraClassImage, NumbersAreZeroAndTextsEmptyUntilWritten) {
  auto image = NewImage();
  EXPECT_EQ(image->Rate(), 0.0f);
  EXPECT_EQ(image->Width(), 0);
  EXPECT_EQ(image->MarkRotateTenths(), 0.0f);
  EXPECT_EQ(image->LoadFromFile(), u"");
  EXPECT_EQ(com::Call(Variant(image), u"LoadFromMaskImgFile"), Variant(u""));
}

TEST(KesraClassImage, WrittenValuesAreConverted) {
  auto image = NewImage();
  Variant v(image);
  com::Let(v, u"LoadFromFile", Variant(u"C:\\site\\a.jpg"));
  com::Let(v, u"loadfrommaskimgfile", Variant(u"C:\\site\\mark.gif"));
  com::Let(v, u"Rate", Variant(u"0.5"));
  com::Let(v, u"Width", Variant(u"120"));
  com::Let(v, u"Height", Variant(89.5));  // to even
  com::Let(v, u"MaskTextFontName", Variant(u"宋体"));
  EXPECT_EQ(image->LoadFromFile(), u"C:\\site\\a.jpg");
  EXPECT_EQ(com::Call(v, u"LoadFromMaskImgFile"), Variant(u"C:\\site\\mark.gif"));
  EXPECT_EQ(image->Rate(), 0.5f);
  EXPECT_EQ(image->Width(), 120);
  EXPECT_EQ(image->Height(), 90);
  EXPECT_EQ(image->MaskTextFontName(), u"宋体");
  EXPECT_EQ(ErrorOf([&] { com::Let(v, u"Width", Variant(u"wide")); }), vb::kTypeMismatch);
  // The other properties can only be written.
  EXPECT_EQ(ErrorOf([&] { com::Call(v, u"Rate"); }), vb::kMemberNotSupported);
}

TEST(KesraClassImage, MarkRotateIsKeptInTenthsOfADegree) {
  auto image = NewImage();
  Variant v(image);
  com::Let(v, u"MarkRotate", Variant(25));
  EXPECT_EQ(image->MarkRotateTenths(), 250.0f);
  com::Let(v, u"MarkRotate", Variant(u"-12.5"));
  EXPECT_EQ(image->MarkRotateTenths(), -125.0f);
  com::Let(v, u"MarkRotate", Variant(u""));
  EXPECT_EQ(image->MarkRotateTenths(), 0.0f);
}

TEST(KesraClassImage, MaskTextIsAlways256Characters) {
  auto image = NewImage();
  Variant v(image);
  com::Let(v, u"MaskText", Variant(u"水印 text"));
  EXPECT_EQ(image->MaskText(), u"水印 text" + String(249, u' '));
  com::Let(v, u"MaskText", Variant(String(300, u'x')));
  EXPECT_EQ(image->MaskText(), String(256, u'x'));
  // An empty text stores the credits instead.
  com::Let(v, u"MaskText", Variant(u""));
  EXPECT_EQ(image->MaskText().size(), Kesra_Class_Image::kMaskTextLength);
  EXPECT_TRUE(image->MaskText().starts_with(qe::SystemName()));
}

}  // namespace
