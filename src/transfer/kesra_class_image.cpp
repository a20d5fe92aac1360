#include "transfer/kesra_class_image.h"

#include <string>

#include "common/ansi_form.h"
#include "common/byte_string.h"
#include "common/kesra_file_operations.h"
#include "common/system_title.h"
#include "platform/com/members.h"
#include "platform/fs/file.h"
#include "platform/image/alpha_blend.h"
#include "platform/image/bitmap_handles.h"
#include "platform/image/gdiplus.h"
#include "platform/image/picture.h"
#include "platform/image/stretch.h"
#include "platform/image/text_out.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/com/live_objects.h"
#include "transfer/first_part_data.h"
#include "transfer/fore_color.h"
#include "transfer/picture_header.h"
#include "platform/com/variant_property.h"

namespace qe {
namespace {

constexpr int32_t kLoadFailed = vb::vbObjectError + 513;
constexpr int32_t kMaskLoadFailed = vb::vbObjectError + 514;
constexpr int32_t kSaveFailed = vb::vbObjectError + 515;

// A directory search (Dir) for an ordinary file of that name.
void CheckFileFound(const vb::String& path, int32_t number, const char16_t* description) {
  if (!KesraFileExist(path, 0)) vb::Raise(number, description);
}

// A Single as GDI takes it: rounded to a whole number (halves to even); 6
// past the 32-bit range.
int32_t Whole(float value) { return vb::CLng(vb::Variant(value)); }

// Arguments converted to the parameters' types, as the interface declares them.
vb::String Text(const vb::Variant& v) { return com::FromArg<vb::String>(v); }
float Single(const com::ArgList& a, size_t i, float fallback) {
  return a.IsMissing(i) ? fallback : com::FromArg<float>(a[i]);
}

vb::String Decimal(int64_t value) {
  std::string digits = std::to_string(value);
  return vb::String(digits.begin(), digits.end());
}

}  // namespace

Kesra_Class_Image::Kesra_Class_Image() { com::CountObject(1); }
Kesra_Class_Image::~Kesra_Class_Image() { com::CountObject(-1); }

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

image::Bitmap Kesra_Class_Image::LoadSource() const {
  CheckFileFound(source_file_, kLoadFailed, u"装载文件时发生了错误,请检查");
  return image::LoadPicture(source_file_);
}

std::pair<int, int> Kesra_Class_Image::TargetSize(const image::Bitmap& source) const {
  double width = width_, height = height_;
  if (rate_ != 0) {
    width = vb::RoundHalfEven(source.Width() * static_cast<double>(rate_));
    height = vb::RoundHalfEven(source.Height() * static_cast<double>(rate_));
  }
  // Also false for a NaN.
  auto fits = [](double side) { return side >= 1 && side <= image::kMaxBitmapSide; };
  if (!fits(width) || !fits(height))
    vb::Raise(vb::kInvalidProcedureCall, u"The picture to write must be 1 to 16384 pixels a side, not " +
                                             vb::DoubleToString(width) + u" by " + vb::DoubleToString(height));
  return {static_cast<int>(width), static_cast<int>(height)};
}

// The source, with its watermark, stretched to the target size onto a new
// bitmap, which KesraImageSaveJpg receives by its handle.
void Kesra_Class_Image::SaveScaled(image::Bitmap source, const vb::String& target) {
  auto [width, height] = TargetSize(source);
  auto scaled = std::make_shared<const image::Bitmap>(image::StretchBlt(source, width, height));
  source = image::Bitmap();  // not needed while the JPEG is made
  image::ScopedBitmapHandle handle(std::move(scaled));
  KesraImageSaveJpg(handle.Get(), target, 100);
}

void Kesra_Class_Image::KesraImageOutputPreview(const vb::String& p_TargetFileName) {
  SaveScaled(LoadSource(), p_TargetFileName);
}

void Kesra_Class_Image::KesraImageOutputTxtImg(const vb::String& p_TargetFileName, const vb::String& p_ForeColor,
                                               float p_FontWidth, float p_FontHeight, float p_FontLeft,
                                               float p_FontTop) {
  image::Bitmap source = LoadSource();
  TargetSize(source);  // before the drawing
  image::LogFont font;
  font.lfHeight = Whole(p_FontHeight);
  font.lfWidth = Whole(p_FontWidth);
  font.lfEscapement = Whole(mark_rotate_tenths_);
  font.lfFaceName = AnsiForm(mask_font_name_);
  image::Rgb colour = image::FromColorRef(ForeColorValue(p_ForeColor));
  image::TextOut(source, Whole(p_FontLeft), Whole(p_FontTop), font, colour, AnsiForm(mask_text_));
  SaveScaled(std::move(source), p_TargetFileName);
}

void Kesra_Class_Image::KesraImageOutputMarkImg(const vb::String& p_TargetFileName, float p_ImageLeft,
                                                float p_ImageTop, float& p_Alpha) {
  image::Bitmap source = LoadSource();
  CheckFileFound(mask_image_file_, kMaskLoadFailed, u"装载水印图片文件时发生了错误,请检查");
  image::Bitmap mark = image::LoadPicture(mask_image_file_);
  TargetSize(source);
  uint8_t alpha = vb::CByte(vb::Variant(p_Alpha));
  image::AlphaBlend(source, Whole(p_ImageLeft), Whole(p_ImageTop), mark, alpha);
  SaveScaled(std::move(source), p_TargetFileName);
}

void Kesra_Class_Image::KesraImageSaveJpg(int32_t p_PicHand, const vb::String& p_TargetFileName, uint8_t p_Quality) {
  std::shared_ptr<const image::Bitmap> bitmap;
  gdiplus::Status status = gdiplus::GdipCreateBitmapFromHBITMAP(p_PicHand, bitmap);
  if (status == gdiplus::Ok) status = gdiplus::GdipSaveImageToFileAsJpeg(*bitmap, p_TargetFileName, p_Quality);
  if (status != gdiplus::Ok) vb::Raise(kSaveFailed, u"保存图像发生了错误,错误号:" + Decimal(status));
}

vb::String Kesra_Class_Image::KesraGetImageInfo(const vb::String& p_FileFullName) {
  std::string bytes;
  try {
    bytes = fs::ReadAllBytes(AnsiForm(p_FileFullName));
  } catch (const vb::Error&) {
    return u"|0|0|0";
  }
  return PictureHeaderInfo(bytes);
}

vb::Variant Kesra_Class_Image::KesraGetBinFromImage(vb::Variant&, vb::Variant& p_FileData) {
  const vb::Variant data = com::ValueOf(p_FileData);
  std::string text_bytes;
  std::string_view body;
  if (data.IsArray() && data.As<vb::Array>().IsBytes()) {
    const auto& bytes = data.As<vb::Array>().Bytes();
    body = std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  } else if (data.IsString() || data.IsEmpty()) {
    text_bytes = BytesOfByteString(data.IsEmpty() ? vb::String() : vb::CStr(data));
    body = text_bytes;
  } else {
    vb::Raise(vb::kTypeMismatch);
  }
  std::string_view part = FirstPartData(body);
  return vb::Array::OfBytes(std::vector<uint8_t>(part.begin(), part.end()));
}

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
      {u"KesraImageOutputPreview", com::kGet, 1, 1,
       [](Self& s, ArgList& a) {
         s.KesraImageOutputPreview(Text(a[0]));
         return Variant();
       }},
      {u"KesraImageOutputTxtImg", com::kGet, 2, 6,
       [](Self& s, ArgList& a) {
         s.KesraImageOutputTxtImg(Text(a[0]), Text(a[1]), Single(a, 2, 20), Single(a, 3, 50), Single(a, 4, 10),
                                  Single(a, 5, 100));
         return Variant();
       }},
      {u"KesraImageOutputMarkImg", com::kGet, 1, 4,
       [](Self& s, ArgList& a) {
         float alpha = Single(a, 3, 70);
         s.KesraImageOutputMarkImg(Text(a[0]), Single(a, 1, 10), Single(a, 2, 100), alpha);
         return Variant();
       }},
      {u"KesraImageSaveJpg", com::kGet, 2, 3,
       [](Self& s, ArgList& a) {
         uint8_t quality = a.IsMissing(2) ? uint8_t{100} : com::FromArg<uint8_t>(a[2]);
         s.KesraImageSaveJpg(com::FromArg<int32_t>(a[0]), Text(a[1]), quality);
         return Variant();
       }},
      {u"KesraGetImageInfo", com::kGet, 1, 1, [](Self& s, ArgList& a) { return Variant(s.KesraGetImageInfo(Text(a[0]))); }},
      {u"KesraGetBinFromImage", com::kGet, 2, 2,
       [](Self& s, ArgList& a) { return s.KesraGetBinFromImage(a[0], a[1]); }},
  };
  return table;
}

}  // namespace qe
