#include "platform/image/stretch.h"

#include <algorithm>
#include <cmath>

namespace image {
namespace {

// Weights in 22 bits keep a thousandfold shrink exact enough, and 255 times
// their sum still fits a 32-bit accumulator.
constexpr int kWeightBits = 22;
constexpr int32_t kOne = 1 << kWeightBits;

// For each target index along one direction, the source indexes it reads
// and their weights in fixed point (summing to kOne).
struct Kernel {
  std::vector<int> first;       // first source index of each target index
  std::vector<int> count;       // taps of each target index
  std::vector<int32_t> weights; // taps_per_target weights for each target index
  int taps_per_target = 0;
};

Kernel MakeKernel(int from, int to) {
  Kernel k;
  k.first.resize(to);
  k.count.resize(to);
  const double scale = static_cast<double>(from) / to;
  k.taps_per_target = from > to ? static_cast<int>(std::ceil(scale)) + 1 : 2;
  k.weights.assign(static_cast<size_t>(to) * k.taps_per_target, 0);
  std::vector<double> w(k.taps_per_target);
  for (int i = 0; i < to; ++i) {
    int first, count;
    if (from > to) {
      // The target pixel covers [i * scale, (i + 1) * scale) of the source.
      double begin = i * scale, end = std::min<double>((i + 1) * scale, from);
      first = static_cast<int>(begin);
      count = std::min(static_cast<int>(std::ceil(end)), from) - first;
      count = std::clamp(count, 1, k.taps_per_target);
      for (int t = 0; t < count; ++t) {
        double lo = std::max(begin, static_cast<double>(first + t));
        double hi = std::min(end, static_cast<double>(first + t + 1));
        w[t] = std::max(hi - lo, 0.0) / scale;
      }
    } else {
      // Pixel centres: the target's centre falls between two source centres.
      double x = (i + 0.5) * scale - 0.5;
      x = std::clamp(x, 0.0, static_cast<double>(from - 1));
      first = std::min(static_cast<int>(x), std::max(from - 2, 0));
      double f = x - first;
      count = from > 1 ? 2 : 1;
      w[0] = from > 1 ? 1 - f : 1;
      w[1] = f;
    }
    // Fixed point, the rounding put on the largest tap so the sum is exact.
    int32_t* out = &k.weights[static_cast<size_t>(i) * k.taps_per_target];
    int32_t sum = 0;
    int largest = 0;
    for (int t = 0; t < count; ++t) {
      out[t] = static_cast<int32_t>(std::lround(w[t] * kOne));
      sum += out[t];
      if (out[t] > out[largest]) largest = t;
    }
    out[largest] += kOne - sum;
    k.first[i] = first;
    k.count[i] = count;
  }
  return k;
}

uint8_t Clamp(int32_t sum) {
  return static_cast<uint8_t>(std::clamp((sum + kOne / 2) >> kWeightBits, 0, 255));
}

Bitmap Horizontal(const Bitmap& source, int width) {
  const Kernel k = MakeKernel(source.Width(), width);
  Bitmap out(width, source.Height());
  for (int y = 0; y < source.Height(); ++y) {
    const uint8_t* in = source.Row(y);
    uint8_t* px = out.Row(y);
    for (int x = 0; x < width; ++x, px += 3) {
      const int32_t* w = &k.weights[static_cast<size_t>(x) * k.taps_per_target];
      const uint8_t* s = in + static_cast<size_t>(k.first[x]) * 3;
      int32_t r = 0, g = 0, b = 0;
      for (int t = 0; t < k.count[x]; ++t, s += 3) {
        r += s[0] * w[t];
        g += s[1] * w[t];
        b += s[2] * w[t];
      }
      px[0] = Clamp(r);
      px[1] = Clamp(g);
      px[2] = Clamp(b);
    }
  }
  return out;
}

Bitmap Vertical(const Bitmap& source, int height) {
  const Kernel k = MakeKernel(source.Height(), height);
  Bitmap out(source.Width(), height);
  std::vector<int32_t> sums(source.Stride());
  for (int y = 0; y < height; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    const int32_t* w = &k.weights[static_cast<size_t>(y) * k.taps_per_target];
    for (int t = 0; t < k.count[y]; ++t) {
      const uint8_t* in = source.Row(k.first[y] + t);
      for (size_t i = 0; i < sums.size(); ++i) sums[i] += in[i] * w[t];
    }
    uint8_t* px = out.Row(y);
    for (size_t i = 0; i < sums.size(); ++i) px[i] = Clamp(sums[i]);
  }
  return out;
}

}  // namespace

Bitmap StretchBlt(const Bitmap& source, int width, int height) {
  if (width == source.Width() && height == source.Height()) return source;
  if (width == source.Width()) return Vertical(source, height);
  if (height == source.Height()) return Horizontal(source, width);
  // The direction that shrinks more goes first, so the picture in between is the smaller.
  bool across_first = static_cast<int64_t>(width) * source.Height() <= static_cast<int64_t>(source.Width()) * height;
  if (across_first) return Vertical(Horizontal(source, width), height);
  return Horizontal(Vertical(source, height), width);
}

}  // namespace image
