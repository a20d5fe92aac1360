#pragma once
// StretchBlt in halftone mode (SetStretchBltMode HALFTONE) with a plain copy:
// the whole source onto a new bitmap of the given size. Each direction on its
// own: area averaging where it shrinks (every source pixel counts by the part
// of it that a target pixel covers), bilinear where it grows, a copy where it
// keeps its size.
#include "platform/image/bitmap.h"

namespace image {

// Sides from 1 to kMaxBitmapSide (callers check).
Bitmap StretchBlt(const Bitmap& source, int width, int height);

}  // namespace image
