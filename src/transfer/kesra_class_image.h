#pragma once
// "QE.Kesra_Class_Image": turns an image file into a JPEG, scaled and
// optionally watermarked with text or a second image. The façade holds one as
// m_Image. Pages set its properties (variants, converted when written) before
// they call an output method; unset numbers are 0 and unset texts empty.
#include "platform/com/object.h"

namespace qe {

class Kesra_Class_Image : public com::Dispatch<Kesra_Class_Image> {
 public:
  // The length of MaskText, which is padded with blanks or cut to it.
  static constexpr size_t kMaskTextLength = 256;

  Kesra_Class_Image();
  ~Kesra_Class_Image() override;

  static const com::MemberTable<Kesra_Class_Image>& Members();
  vb::String TypeName() const override { return u"Kesra_Class_Image"; }

  // The properties as written (Let), and what they hold.
  void LetLoadFromMaskImgFile(const vb::Variant& value);
  void LetMarkRotate(const vb::Variant& value);  // degrees; "" is 0
  void LetMaskTextFontName(const vb::Variant& value);
  void LetMaskText(const vb::Variant& value);    // "" stores the credits text
  void LetLoadFromFile(const vb::Variant& value);
  void LetRate(const vb::Variant& value);
  void LetWidth(const vb::Variant& value);
  void LetHeight(const vb::Variant& value);

  const vb::String& LoadFromMaskImgFile() const { return mask_image_file_; }
  float MarkRotateTenths() const { return mark_rotate_tenths_; }  // tenths of a degree, counter-clockwise
  const vb::String& MaskTextFontName() const { return mask_font_name_; }
  const vb::String& MaskText() const { return mask_text_; }
  const vb::String& LoadFromFile() const { return source_file_; }
  float Rate() const { return rate_; }  // 0: Width and Height give the size
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

 private:
  vb::String mask_image_file_;
  float mark_rotate_tenths_ = 0;
  vb::String mask_font_name_;
  vb::String mask_text_;  // kMaskTextLength characters once written
  vb::String source_file_;
  float rate_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace qe
