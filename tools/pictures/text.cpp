#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace pictures {
namespace {

constexpr char kFontFile[] = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";
// The face of the collection that carries pixel drawings for small sizes.
constexpr std::string_view kFaceName = "WenQuanYi Zen Hei Sharp";

std::vector<char32_t> CodePoints(std::string_view text) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80 ? 0 : c < 0xe0 ? 1 : c < 0xf0 ? 2 : 3;
    char32_t code = extra == 0 ? c : c & (0x3f >> extra);
    for (int k = 1; k <= extra && i + k < text.size(); ++k) code = (code << 6) | (text[i + k] & 0x3f);
    out.push_back(code);
    i += extra + 1;
  }
  return out;
}

}  // namespace

struct Font::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;

  void Size(int pixels) { FT_Set_Pixel_Sizes(face, 0, pixels); }
  // Loads and renders the glyph of `code` into the face's slot.
  bool Load(char32_t code) {
    FT_UInt glyph = FT_Get_Char_Index(face, code);
    return FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) == 0 && FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
  }
};

Font::Font() : impl_(new Impl) {
  if (FT_Init_FreeType(&impl_->library) != 0) throw std::runtime_error("FreeType does not start");
  FT_Face probe = nullptr;
  if (FT_New_Face(impl_->library, kFontFile, -1, &probe) != 0)
    throw std::runtime_error(std::string("no font file ") + kFontFile + " (Debian's fonts-wqy-zenhei)");
  FT_Long faces = probe->num_faces;
  FT_Done_Face(probe);
  for (FT_Long index = 0; index < faces && !impl_->face; ++index) {
    FT_Face face = nullptr;
    if (FT_New_Face(impl_->library, kFontFile, index, &face) != 0) continue;
    if (face->family_name && kFaceName == face->family_name) impl_->face = face;
    else FT_Done_Face(face);
  }
  if (!impl_->face) throw std::runtime_error(std::string(kFontFile) + " has no face " + std::string(kFaceName));
}

Font::~Font() {
  if (impl_->face) FT_Done_Face(impl_->face);
  FT_Done_FreeType(impl_->library);
  delete impl_;
}

int Font::Measure(std::string_view text, int pixels) {
  impl_->Size(pixels);
  long width = 0;
  for (char32_t code : CodePoints(text))
    if (impl_->Load(code)) width += impl_->face->glyph->advance.x;
  return static_cast<int>((width + 32) >> 6);
}

void Font::Draw(Canvas& canvas, int x, int baseline, std::string_view text, int pixels, const Colour& colour) {
  impl_->Size(pixels);
  long pen = static_cast<long>(x) << 6;
  for (char32_t code : CodePoints(text)) {
    if (!impl_->Load(code)) continue;
    FT_GlyphSlot slot = impl_->face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    int left = static_cast<int>((pen + 32) >> 6) + slot->bitmap_left;
    int top = baseline - slot->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const unsigned char* line = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
      for (unsigned col = 0; col < bitmap.width; ++col) {
        double cover = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((line[col >> 3] >> (7 - (col & 7))) & 1)
                                                               : line[col] / 255.0;
        canvas.Blend(left + static_cast<int>(col), top + static_cast<int>(row), colour, cover);
      }
    }
    pen += slot->advance.x;
  }
}

void Font::DrawCentred(Canvas& canvas, double left, double top, double width, double height, std::string_view text,
                       int pixels, const Colour& colour) {
  int text_width = Measure(text, pixels);
  // Chinese characters rise about 0.86 em above the baseline in this face.
  int rise = static_cast<int>(std::floor(pixels * 0.86 + 0.5));
  int x = static_cast<int>(std::floor(left + (width - text_width) / 2 + 0.5));
  int baseline = static_cast<int>(std::floor(top + (height + rise) / 2 + 0.5));
  Draw(canvas, x, baseline, text, pixels, colour);
}

}  // namespace pictures
