#include "transfer/kesra_class_image.h"

#include "common/system_title.h"
#include "platform/vb/convert.h"
#include "shell/component_classes.h"
#include "transfer/variant_property.h"

namespace qe {

Kesra_Class_Image::Kesra_Class_Image() { CountObject(1); }
Kesra_Class_Image::~Kesra_Class_Image() { CountObject(-1); }

void Kesra_Class_Image::LetLoadFromMaskImgFile(const vb::Variant& value) { mask_image_file_ = VariantText(value); }

void Kesra_Class_Image::LetMarkRotate(const vb::Variant& value) {
  vb::Variant angle = com::ValueOf(value);
  bool blank = angle.IsEmpty() || (angle.IsString() && vb::CStr(angle).empty());
  mark_rotate_tenths_ = blank ? 0.0f : vb::CSng(angle) * 10.0f;
}

void Kesra_Class_Image::LetMaskTextFontName(const vb::Variant& value) { mask_font_name_ = VariantText(value); }

void Kesra_Class_Image::LetMaskText(const vb::Variant& value) {
  vb::String text = VariantText(value);
  if (text.empty()) text = SystemName();
  text.resize(kMaskTextLength, u' ');
  mask_text_ = std::move(text);
}

void Kesra_Class_Image::LetLoadFromFile(const vb::Variant& value) { source_file_ = VariantText(value); }
void Kesra_Class_Image::LetRate(const vb::Variant& value) { rate_ = vb::CSng(com::ValueOf(value)); }
void Kesra_Class_Image::LetWidth(const vb::Variant& value) { width_ = vb::CLng(com::ValueOf(value)); }
void Kesra_Class_Image::LetHeight(const vb::Variant& value) { height_ = vb::CLng(com::ValueOf(value)); }

const com::MemberTable<Kesra_Class_Image>& Kesra_Class_Image::Members() {
  using Self = Kesra_Class_Image;
  using com::ArgList;
  using vb::Variant;
  auto let = [](void (Self::*setter)(const Variant&)) {
    return [setter](Self& self, ArgList& a) {
      (self.*setter)(a[0]);
      return Variant();
    };
  };
  static const com::MemberTable<Self> table{
      {u"LoadFromMaskImgFile", com::kGet, 0, 0, [](Self& s, ArgList&) { return Variant(s.LoadFromMaskImgFile()); }},
      {u"LoadFromMaskImgFile", com::kLet, 1, 1, let(&Self::LetLoadFromMaskImgFile)},
      {u"MarkRotate", com::kLet, 1, 1, let(&Self::LetMarkRotate)},
      {u"MaskTextFontName", com::kLet, 1, 1, let(&Self::LetMaskTextFontName)},
      {u"MaskText", com::kLet, 1, 1, let(&Self::LetMaskText)},
      {u"LoadFromFile", com::kLet, 1, 1, let(&Self::LetLoadFromFile)},
      {u"Rate", com::kLet, 1, 1, let(&Self::LetRate)},
      {u"Width", com::kLet, 1, 1, let(&Self::LetWidth)},
      {u"Height", com::kLet, 1, 1, let(&Self::LetHeight)},
  };
  return table;
}

}  // namespace qe
