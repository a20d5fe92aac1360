#include "transfer/picture_header.h"

#include <cstdint>
#include <string>

namespace qe {
namespace {

class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}
  size_t Size() const { return data_.size(); }
  uint32_t At(size_t offset) const { return offset < data_.size() ? static_cast<unsigned char>(data_[offset]) : 0; }
  // The header's 16-bit fields are read as signed numbers: 32768 or more gives 0.
  uint32_t Signed16(uint32_t value) const { return value >= 32768 ? 0 : value; }
  uint32_t Le16(size_t offset) const { return Signed16(At(offset) | At(offset + 1) << 8); }
  uint32_t Be16(size_t offset) const { return Signed16(At(offset) << 8 | At(offset + 1)); }
  // So are the 32-bit fields: 2^31 or more (a top-down bitmap's height) gives 0.
  uint32_t Le32(size_t offset) const {
    uint32_t value = At(offset) | At(offset + 1) << 8 | At(offset + 2) << 16 | At(offset + 3) << 24;
    return value >= 0x80000000u ? 0 : value;
  }
  bool Starts(std::initializer_list<uint32_t> signature) const {
    size_t i = 0;
    for (uint32_t b : signature)
      if (At(i++) != b) return false;
    return true;
  }

 private:
  std::string_view data_;
};

struct Fields {
  const char16_t* type;
  uint32_t width = 0, height = 0, bits = 0;
};

uint32_t PngBits(uint32_t depth, uint32_t colour_type) {
  switch (colour_type) {
    case 2: return depth * 3;
    case 4: return depth * 2;
    case 6: return depth * 4;
    default: return depth;  // grey (0), palette (3), and types no file should hold
  }
}

// The segments after FF D8, up to the first start of frame (C0 to C3). A
// marker is a 255 followed by a byte other than 255; any other segment is
// passed by its length, read unsigned, so each step moves forward.
Fields Jpeg(const Bytes& b) {
  size_t at = 2;
  while (at + 1 < b.Size()) {
    if (b.At(at) != 255 || b.At(at + 1) == 255) {
      ++at;
      continue;
    }
    size_t marker = at + 1;
    uint32_t code = b.At(marker);
    if (code >= 192 && code <= 195) return {u"JPG", b.Be16(marker + 6), b.Be16(marker + 4), b.At(marker + 8) * 8};
    uint32_t length = b.At(marker + 1) << 8 | b.At(marker + 2);
    at = marker + length + 1;
  }
  return {u"JPG"};
}

Fields Read(const Bytes& b) {
  if (b.Starts({66, 77})) return {u"BMP", b.Le32(18), b.Le32(22), b.Le16(28)};
  if (b.Starts({137, 80, 78, 71})) return {u"PNG", b.Be16(18), b.Be16(22), PngBits(b.At(24), b.At(25))};
  if (b.Starts({71, 73, 70, 56})) return {u"GIF", b.Le16(6), b.Le16(8), (b.At(10) & 112) / 16 + 1};
  if (b.Starts({255, 216, 255})) return Jpeg(b);
  return {u""};
}

vb::String Decimal(uint32_t value) {
  std::string digits = std::to_string(value);
  return vb::String(digits.begin(), digits.end());
}

}  // namespace

vb::String PictureHeaderInfo(std::string_view bytes) {
  Fields f = Read(Bytes(bytes));
  return vb::String(f.type) + u"|" + Decimal(f.width) + u"|" + Decimal(f.height) + u"|" + Decimal(f.bits);
}

}  // namespace qe
