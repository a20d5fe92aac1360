#include "platform/image/alpha_blend.h"

#include <algorithm>

namespace image {

void AlphaBlend(Bitmap& target, int left, int top, const Bitmap& source, uint8_t alpha) {
  const int64_t x0 = std::max<int64_t>(left, 0), y0 = std::max<int64_t>(top, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{left} + source.Width(), target.Width());
  const int64_t y1 = std::min<int64_t>(int64_t{top} + source.Height(), target.Height());
  if (x0 >= x1 || y0 >= y1) return;
  const uint32_t a = alpha, rest = 255 - alpha;
  const size_t bytes = static_cast<size_t>(x1 - x0) * 3;
  for (int64_t y = y0; y < y1; ++y) {
    uint8_t* out = target.Row(static_cast<int>(y)) + x0 * 3;
    const uint8_t* in = source.Row(static_cast<int>(y - top)) + (x0 - left) * 3;
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>((in[i] * a + out[i] * rest + 127) / 255);
  }
}

}  // namespace image
