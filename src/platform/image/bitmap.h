#pragma once
// A picture in memory: 24-bit RGB, rows top to bottom, three bytes a pixel
// (red, green, blue) and no padding. Every picture the component loads,
// draws on, scales or saves is one of these.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace image {

// The largest picture a file may declare: beyond it loading raises error 5
// before anything is allocated (a crafted header must not cost gigabytes).
inline constexpr uint64_t kMaxPicturePixels = 100'000'000;
// The largest side of a bitmap the component makes.
inline constexpr int kMaxBitmapSide = 16384;

struct Rgb {
  uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A GDI colour value (COLORREF): red in the lowest byte, then green, then blue.
inline Rgb FromColorRef(uint32_t colour) {
  return {static_cast<uint8_t>(colour & 0xFF), static_cast<uint8_t>((colour >> 8) & 0xFF),
          static_cast<uint8_t>((colour >> 16) & 0xFF)};
}

class Bitmap {
 public:
  Bitmap() = default;
  // Filled with `fill`. Sides must be positive and within the caps (callers check).
  Bitmap(int width, int height, Rgb fill = {});

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  uint8_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * Stride(); }
  const uint8_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * Stride(); }
  size_t Stride() const { return static_cast<size_t>(width_) * 3; }

  Rgb At(int x, int y) const;
  void Set(int x, int y, Rgb colour);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> pixels_;
};

}  // namespace image
