#include "platform/image/bitmap.h"

namespace image {

Bitmap::Bitmap(int width, int height, Rgb fill) : width_(width), height_(height) {
  pixels_.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  if (fill == Rgb{}) return;  // resize already zeroed it
  for (size_t i = 0; i < pixels_.size(); i += 3) {
    pixels_[i] = fill.red;
    pixels_[i + 1] = fill.green;
    pixels_[i + 2] = fill.blue;
  }
}

Rgb Bitmap::At(int x, int y) const {
  const uint8_t* p = Row(y) + static_cast<size_t>(x) * 3;
  return {p[0], p[1], p[2]};
}

void Bitmap::Set(int x, int y, Rgb colour) {
  uint8_t* p = Row(y) + static_cast<size_t>(x) * 3;
  p[0] = colour.red;
  p[1] = colour.green;
  p[2] = colour.blue;
}

}  // namespace image
