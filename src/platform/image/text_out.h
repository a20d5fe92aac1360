#pragma once
// Text on a bitmap as GDI draws it with a font made by CreateFontIndirect
// (normal weight, upright) in transparent background mode: FreeType outlines,
// grey-scale antialiased in the text colour. Faces are found by fontconfig;
// characters the face lacks come from a Chinese face (WenQuanYi Zen Hei), so
// Chinese text draws whatever face is named.
#include <cstdint>

#include "platform/image/bitmap.h"
#include "platform/vb/string.h"

namespace image {

// The members of a LOGFONT that decide the text's size, slant and face.
struct LogFont {
  // > 0: the cell height (the face's Windows ascent plus descent);
  // < 0: the character height (the cell less its internal leading, the em);
  // 0: the default size, a 12-pixel cell.
  int32_t lfHeight = 0;
  // The average character width: the face is stretched across so that its
  // average width (from its OS/2 table) is this many pixels; 0 keeps its proportions.
  int32_t lfWidth = 0;
  // The angle of the line of text, tenths of a degree counter-clockwise.
  int32_t lfEscapement = 0;
  vb::String lfFaceName;  // the first 31 characters count
};

// Draws `text` with the top-left corner of its first cell at (x, y) (the
// point the escapement turns about); what falls outside the bitmap is left out.
void TextOut(Bitmap& target, int x, int y, const LogFont& font, Rgb colour, vb::StringView text);

}  // namespace image
