#pragma once
// "QE.Kesra_Class_Image": turns an image file into a JPEG, scaled and
// optionally watermarked with text or a second image. The façade holds one as
// m_Image. Pages set its properties (variants, converted when written) before
// they call an output method; unset numbers are 0 and unset texts empty.
//
// The output methods load LoadFromFile (BMP, GIF or JPEG), draw the watermark
// in source pixels, scale the result by Rate (or to Width by Height when Rate
// is 0) and write it as a JPEG of quality 100. Errors of their own, in the
// order they are checked, all before anything is written:
//   vbObjectError + 513  LoadFromFile names no existing file
//   vbObjectError + 514  LoadFromMaskImgFile names no existing file
//   vbObjectError + 515  the JPEG was not written ("...错误号:" + GDI+ status:
//                        2 a bad argument, 7 a file that cannot be written)
// and the run-time's: 481 for a file that is no picture of the three kinds,
// 5 for a source declaring more than 100 megapixels or a target under 1 or
// over 16,384 pixels a side, 6 for an alpha outside 0 to 255, 13 for a
// colour that is no colour.
#include <memory>

#include "platform/com/object.h"
#include "platform/image/bitmap.h"

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

  // The methods, in the interface's order.
  void KesraImageOutputPreview(const vb::String& p_TargetFileName);
  // p_ForeColor: "#RRGGBB" as HTML writes it, "&H..." (red in the lowest
  // byte) or a decimal number, as a GDI colour value.
  void KesraImageOutputTxtImg(const vb::String& p_TargetFileName, const vb::String& p_ForeColor, float p_FontWidth = 20,
                              float p_FontHeight = 50, float p_FontLeft = 10, float p_FontTop = 100);
  void KesraImageOutputMarkImg(const vb::String& p_TargetFileName, float p_ImageLeft, float p_ImageTop, float& p_Alpha);
  // p_PicHand: a bitmap handle of image::RegisterBitmap.
  void KesraImageSaveJpg(int32_t p_PicHand, const vb::String& p_TargetFileName, uint8_t p_Quality = 100);
  // "BMP|16|16|24"; "|0|0|0" for a file of no known type or one that cannot be read. Never raises.
  vb::String KesraGetImageInfo(const vb::String& p_FileFullName);
  // p_FileData: a byte array or a byte string; the result a byte array (see
  // FirstPartData). p_FileSize is not used.
  vb::Variant KesraGetBinFromImage(vb::Variant& p_FileSize, vb::Variant& p_FileData);

  const vb::String& LoadFromMaskImgFile() const { return mask_image_file_; }
  float MarkRotateTenths() const { return mark_rotate_tenths_; }  // tenths of a degree, counter-clockwise
  const vb::String& MaskTextFontName() const { return mask_font_name_; }
  const vb::String& MaskText() const { return mask_text_; }
  const vb::String& LoadFromFile() const { return source_file_; }
  float Rate() const { return rate_; }  // 0: Width and Height give the size
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

 private:
  image::Bitmap LoadSource() const;
  // The target's size; error 5 outside 1 to kMaxBitmapSide.
  std::pair<int, int> TargetSize(const image::Bitmap& source) const;
  void SaveScaled(image::Bitmap source, const vb::String& target);

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
