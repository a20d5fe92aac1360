#include "platform/image/text_out.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <optional>
#include <string>

namespace image {
namespace {

// The face that draws what the named face lacks: Chinese text must show
// under any name, the default "Monotype Corsiva" (absent here) included.
constexpr char kChineseFamily[] = "WenQuanYi Zen Hei";
constexpr int32_t kDefaultCellHeight = 12;
constexpr size_t kFaceNameLength = 31;
// FreeType keeps sizes in 16 bits; no page needs letters larger than a
// picture may be.
constexpr double kMaxPixelsPerEm = 32767;

struct FaceFile {
  std::string path;
  int index = 0;
};

// fontconfig's best scalable, regular, upright face for a family name (it
// always offers one); remembered by name, as fonts do not change under a running server.
std::optional<FaceFile> MatchFace(const std::string& family, bool chinese) {
  static std::mutex mutex;
  static std::map<std::pair<std::string, bool>, std::optional<FaceFile>> found;
  std::lock_guard lock(mutex);
  auto key = std::make_pair(family, chinese);
  if (auto it = found.find(key); it != found.end()) return it->second;
  std::optional<FaceFile> face;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  if (chinese) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      face = FaceFile{reinterpret_cast<const char*>(file), index};
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  found.emplace(key, face);
  return face;
}

struct LibraryDone {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDone {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDone>;
using Face = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDone>;

Face OpenFace(FT_Library library, const std::optional<FaceFile>& file) {
  FT_Face face = nullptr;
  if (!file || FT_New_Face(library, file->path.c_str(), file->index, &face) != 0) return nullptr;
  if (!FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    return nullptr;
  }
  return Face(face);
}

// A face's vertical metrics as Windows takes them: the OS/2 table's Windows
// ascent and descent (the horizontal header's when the table is missing), and
// its average character width (0 when unknown), in font units.
struct Metrics {
  double units_per_em = 0;
  double ascent = 0;
  double descent = 0;
  double average_width = 0;
};

Metrics MetricsOf(FT_Face face) {
  Metrics m{static_cast<double>(face->units_per_EM), static_cast<double>(face->ascender),
            -static_cast<double>(face->descender), 0};
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF) {
    if (os2->usWinAscent + os2->usWinDescent > 0) {
      m.ascent = os2->usWinAscent;
      m.descent = os2->usWinDescent;
    }
    m.average_width = std::max<double>(os2->xAvgCharWidth, 0);
  }
  if (m.ascent + m.descent <= 0) m.ascent = m.units_per_em;
  return m;
}

// Pixels per em for the face that gives `height` as LOGFONT means it.
double PixelsPerEm(const Metrics& m, int32_t height) {
  if (height == 0) height = kDefaultCellHeight;
  double ppem = height > 0 ? height * m.units_per_em / (m.ascent + m.descent) : -static_cast<double>(height);
  return std::clamp(ppem, 1.0, kMaxPixelsPerEm);
}

struct Painter {
  Bitmap* target;
  Rgb colour;
};

// Spans come bottom-up (FreeType's y grows upwards); coverage 0 to 255.
void PaintSpans(int y, int count, const FT_Span* spans, void* user) {
  auto* p = static_cast<Painter*>(user);
  uint8_t* row = p->target->Row(p->target->Height() - 1 - y);
  const uint32_t colour[3] = {p->colour.red, p->colour.green, p->colour.blue};
  for (int s = 0; s < count; ++s) {
    uint32_t cover = spans[s].coverage;
    uint8_t* px = row + static_cast<size_t>(spans[s].x) * 3;
    for (int i = 0; i < spans[s].len; ++i, px += 3)
      for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>((colour[c] * cover + px[c] * (255 - cover) + 127) / 255);
  }
}

}  // namespace

void TextOut(Bitmap& target, int x, int y, const LogFont& font, Rgb colour, vb::StringView text) {
  if (target.Empty() || text.empty()) return;
  FT_Library raw = nullptr;
  if (FT_Init_FreeType(&raw) != 0) return;
  Library library(raw);
  std::string name = vb::ToUtf8(font.lfFaceName.substr(0, kFaceNameLength));
  Face named = OpenFace(raw, MatchFace(name, false));
  Face chinese = OpenFace(raw, MatchFace(kChineseFamily, true));
  FT_Face primary = named ? named.get() : chinese.get();
  if (!primary) return;  // no scalable face at all on this server

  const Metrics primary_metrics = MetricsOf(primary);
  const double ppem = PixelsPerEm(primary_metrics, font.lfHeight);
  // The width stretches every face alike, by the named face's average.
  double stretch = 1;
  if (font.lfWidth != 0 && primary_metrics.average_width > 0)
    stretch = std::abs(static_cast<double>(font.lfWidth)) * primary_metrics.units_per_em / primary_metrics.average_width / ppem;
  for (FT_Face face : {named.get(), chinese.get()}) {
    if (!face) continue;
    double face_ppem = PixelsPerEm(MetricsOf(face), font.lfHeight);
    double width = std::clamp(face_ppem * stretch, 1.0 / 64, kMaxPixelsPerEm);
    FT_Set_Char_Size(face, std::lround(width * 64), std::lround(face_ppem * 64), 72, 72);
  }

  const double angle = font.lfEscapement / 10.0 * std::numbers::pi / 180;
  const double c = std::cos(angle), s = std::sin(angle);
  FT_Matrix turn{std::lround(c * 0x10000), std::lround(-s * 0x10000), std::lround(s * 0x10000), std::lround(c * 0x10000)};
  // The baseline lies the ascent below the cell's top, turned with the text.
  const double ascent = primary_metrics.ascent * ppem / primary_metrics.units_per_em;
  // The pen in FreeType's frame: x right, y up from the bitmap's bottom edge.
  double pen_x = x + ascent * s, pen_y = target.Height() - (y + ascent * c);

  Painter painter{&target, colour};
  FT_Raster_Params params{};
  params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
  params.gray_spans = PaintSpans;
  params.user = &painter;
  params.clip_box = {0, 0, target.Width(), target.Height()};
  const FT_Pos right = FT_Pos{target.Width()} * 64, top = FT_Pos{target.Height()} * 64;

  for (char16_t ch : text) {
    FT_Face face = primary;
    FT_UInt glyph = FT_Get_Char_Index(face, ch);
    if (!glyph && chinese && chinese.get() != primary) {
      if (FT_UInt other = FT_Get_Char_Index(chinese.get(), ch)) {
        face = chinese.get();
        glyph = other;
      }
    }
    FT_Set_Transform(face, &turn, nullptr);
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0) continue;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_contours > 0) {
      FT_Outline_Translate(&slot->outline, std::lround(pen_x * 64), std::lround(pen_y * 64));
      FT_BBox box;
      FT_Outline_Get_CBox(&slot->outline, &box);
      if (box.xMax > 0 && box.yMax > 0 && box.xMin < right && box.yMin < top) {
        params.source = &slot->outline;
        FT_Outline_Render(raw, &slot->outline, &params);
      }
    }
    pen_x += slot->advance.x / 64.0;
    pen_y += slot->advance.y / 64.0;
  }
}

}  // namespace image

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
// fontconfig 2.14 drops a block while it reads its configuration, once a
// process; the leak checker of sanitized builds is told to bear it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif
#endif
