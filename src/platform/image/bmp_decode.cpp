// Windows bitmap files: the core (OS/2 1.x) header and the info headers of
// every later version; palettes of 1, 4 and 8 bits, run-length coded 4 and 8
// bits, 16 and 32 bits with or without bit fields, 24 bits.
#include <algorithm>
#include <array>

#include "platform/image/picture.h"

namespace image {
namespace {

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  size_t Size() const { return bytes_.size(); }
  uint8_t U8(size_t at) const { return at < bytes_.size() ? static_cast<uint8_t>(bytes_[at]) : 0; }
  uint16_t U16(size_t at) const { return static_cast<uint16_t>(U8(at) | U8(at + 1) << 8); }
  uint32_t U32(size_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }
  const uint8_t* Data(size_t at) const { return reinterpret_cast<const uint8_t*>(bytes_.data()) + at; }

 private:
  std::string_view bytes_;
};

// One channel of a bit-field pixel: its mask's place and width, scaled to 8 bits.
class Channel {
 public:
  explicit Channel(uint32_t mask) : mask_(mask) {
    if (!mask) return;
    while (!(mask & 1)) {
      mask >>= 1;
      ++shift_;
    }
    while (mask & 1) {
      mask >>= 1;
      ++bits_;
    }
    max_ = bits_ >= 32 ? 0xFFFFFFFFu : (1u << bits_) - 1;
  }
  uint8_t Of(uint32_t pixel) const {
    if (!mask_) return 0;
    uint64_t value = (pixel & mask_) >> shift_;
    return static_cast<uint8_t>(std::min<uint64_t>(value, max_) * 255 / max_);
  }

 private:
  uint32_t mask_;
  int shift_ = 0;
  int bits_ = 0;
  uint32_t max_ = 1;
};

struct Header {
  int64_t width = 0;
  int64_t height = 0;  // rows; top_down when the file gave it negative
  bool top_down = false;
  uint16_t bits = 0;
  uint32_t compression = kRgb;
  std::array<uint32_t, 3> masks{};
  std::vector<Rgb> palette;
  size_t pixels_at = 0;
};

Header ReadHeader(const Reader& r) {
  Header h;
  uint32_t header_size = r.U32(kFileHeaderSize);
  size_t palette_at = kFileHeaderSize + header_size;
  size_t entry_size = 4;
  if (header_size == kCoreHeaderSize) {
    h.width = r.U16(18);
    h.height = r.U16(20);
    h.bits = r.U16(24);
    entry_size = 3;
  } else if (header_size >= kInfoHeaderSize && header_size <= 1024) {
    h.width = static_cast<int32_t>(r.U32(18));
    int32_t height = static_cast<int32_t>(r.U32(22));
    h.top_down = height < 0;
    h.height = h.top_down ? -static_cast<int64_t>(height) : height;
    h.bits = r.U16(28);
    h.compression = r.U32(30);
    if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
      for (size_t i = 0; i < 3; ++i) h.masks[i] = r.U32(kFileHeaderSize + kInfoHeaderSize + 4 * i);
      // A plain info header is followed by the masks; later headers hold them.
      if (header_size == kInfoHeaderSize) palette_at += h.compression == kBitFields ? 12 : 16;
    }
    uint32_t used = r.U32(46);
    if (h.bits <= 8) {
      size_t entries = used && used < (1u << h.bits) ? used : (1u << h.bits);
      h.palette.resize(entries);
    }
  } else {
    RaiseInvalidPicture();
  }
  if (palette_at > r.Size()) RaiseInvalidPicture();
  if (h.bits <= 8 && h.palette.empty()) h.palette.resize(size_t{1} << h.bits);
  for (size_t i = 0; i < h.palette.size(); ++i) {
    size_t at = palette_at + i * entry_size;
    h.palette[i] = {r.U8(at + 2), r.U8(at + 1), r.U8(at)};  // blue, green, red on disk
  }
  size_t after_palette = palette_at + h.palette.size() * entry_size;
  uint32_t offset = r.U32(10);
  // A writer that left the offset out (or pointed it outside the file)
  // meant the bytes right after the palette.
  h.pixels_at = offset >= kFileHeaderSize + kCoreHeaderSize && offset < r.Size() ? offset : after_palette;
  return h;
}

bool Supported(const Header& h) {
  switch (h.compression) {
    case kRgb:
      return h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 16 || h.bits == 24 || h.bits == 32;
    case kRle8:
      return h.bits == 8 && !h.top_down;
    case kRle4:
      return h.bits == 4 && !h.top_down;
    case kBitFields:
    case kAlphaBitFields:
      return h.bits == 16 || h.bits == 32;
    default:
      return false;
  }
}

Rgb PaletteColour(const Header& h, uint32_t index) { return index < h.palette.size() ? h.palette[index] : Rgb{}; }

void DecodeRows(const Reader& r, const Header& h, Bitmap& out) {
  uint64_t stride = (static_cast<uint64_t>(h.width) * h.bits + 31) / 32 * 4;
  uint64_t last_row = (static_cast<uint64_t>(h.width) * h.bits + 7) / 8;
  // The last row's padding may be missing; anything shorter is a broken file.
  if (h.pixels_at > r.Size() || r.Size() - h.pixels_at < stride * (h.height - 1) + last_row) RaiseInvalidPicture();
  std::array<uint32_t, 3> masks = h.masks;
  if (h.compression == kRgb && h.bits == 16) masks = {0x7C00, 0x03E0, 0x001F};
  if (h.compression == kRgb && h.bits == 32) masks = {0xFF0000, 0x00FF00, 0x0000FF};
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  const int width = static_cast<int>(h.width);
  for (int64_t row = 0; row < h.height; ++row) {
    const uint8_t* in = r.Data(h.pixels_at + static_cast<size_t>(row * stride));
    uint8_t* px = out.Row(static_cast<int>(h.top_down ? row : h.height - 1 - row));
    for (int x = 0; x < width; ++x, px += 3) {
      Rgb c;
      switch (h.bits) {
        case 1:
          c = PaletteColour(h, (in[x >> 3] >> (7 - (x & 7))) & 1);
          break;
        case 4:
          c = PaletteColour(h, (in[x >> 1] >> (x & 1 ? 0 : 4)) & 15);
          break;
        case 8:
          c = PaletteColour(h, in[x]);
          break;
        case 24:
          c = {in[3 * x + 2], in[3 * x + 1], in[3 * x]};
          break;
        case 16: {
          uint32_t v = in[2 * x] | in[2 * x + 1] << 8;
          c = {red.Of(v), green.Of(v), blue.Of(v)};
          break;
        }
        default: {
          const uint8_t* p = in + 4 * x;
          uint32_t v = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
          c = {red.Of(v), green.Of(v), blue.Of(v)};
        }
      }
      px[0] = c.red;
      px[1] = c.green;
      px[2] = c.blue;
    }
  }
}

// Run-length coded rows, bottom-up: runs of one index (two alternating
// indexes for 4 bits), and escapes for the end of a line, the end of the
// picture, a jump, and a run of literal indexes padded to a 16-bit boundary.
// Pixels that the runs never reach stay black.
void DecodeRunLengths(const Reader& r, const Header& h, Bitmap& out) {
  const bool four = h.compression == kRle4;
  const int64_t width = h.width, height = h.height;
  int64_t x = 0, y = 0;
  auto put = [&](uint32_t index) {
    if (x < width && y < height) out.Set(static_cast<int>(x), static_cast<int>(height - 1 - y), PaletteColour(h, index));
    ++x;
  };
  size_t at = h.pixels_at;
  while (at + 1 < r.Size() && y < height) {
    uint8_t count = r.U8(at), value = r.U8(at + 1);
    at += 2;
    if (count) {
      for (int i = 0; i < count && x < width; ++i) put(four ? (i & 1 ? value & 15 : value >> 4) : value);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      x += r.U8(at);
      y += r.U8(at + 1);
      at += 2;
    } else {
      size_t bytes = four ? (value + 1u) / 2 : value;
      for (int i = 0; i < value; ++i) {
        uint8_t b = r.U8(at + (four ? i / 2 : i));
        put(four ? (i & 1 ? b & 15 : b >> 4) : b);
      }
      at += (bytes + 1) & ~size_t{1};
    }
  }
}

}  // namespace

Bitmap DecodeBmp(std::string_view bytes) {
  Reader r(bytes);
  if (r.Size() < kFileHeaderSize + kCoreHeaderSize || !bytes.starts_with("BM")) RaiseInvalidPicture();
  Header h = ReadHeader(r);
  if (!Supported(h)) RaiseInvalidPicture();
  CheckDeclaredSize(h.width, h.height);
  Bitmap out(static_cast<int>(h.width), static_cast<int>(h.height));
  if (h.compression == kRle8 || h.compression == kRle4) DecodeRunLengths(r, h, out);
  else DecodeRows(r, h, out);
  return out;
}

}  // namespace image
