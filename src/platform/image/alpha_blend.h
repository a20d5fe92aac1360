#pragma once
// AlphaBlend with a constant opacity (source over, the source's own alpha
// ignored): the whole `source`, at its own size, onto `target` with its
// top-left corner at (left, top). Each covered pixel becomes
// source × a + target × (1 − a), a = alpha / 255; what falls outside the
// target is left out.
#include <cstdint>

#include "platform/image/bitmap.h"

namespace image {

void AlphaBlend(Bitmap& target, int left, int top, const Bitmap& source, uint8_t alpha);

}  // namespace image
