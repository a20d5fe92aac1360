#include "transfer/picture_sniff.h"

namespace qe {
namespace {

// Bytes by 1-based position, as the header layouts are written; 0 past the end.
class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}
  size_t Size() const { return data_.size(); }
  double At(size_t position) const {
    return position >= 1 && position <= data_.size() ? static_cast<unsigned char>(data_[position - 1]) : 0;
  }
  double BigEndian16(size_t position) const { return At(position) * 256 + At(position + 1); }
  double LittleEndian16(size_t position) const { return At(position) + At(position + 1) * 256; }
  double LittleEndian32(size_t position) const {
    return LittleEndian16(position) + LittleEndian16(position + 2) * 65536;
  }
  bool StartsWith(std::string_view prefix) const { return data_.starts_with(prefix); }
  size_t Find(std::string_view needle) const { return data_.find(needle); }

 private:
  std::string_view data_;
};

// Walks the JPEG segments from the byte after FF D8 to the first start of
// frame (markers C0 to C3), whose header holds the height, width and components.
PictureInfo Jpeg(const Bytes& b, size_t soi) {
  size_t position = soi + 3;  // 1-based: the byte after FF D8
  while (position < b.Size()) {
    while (b.At(position) == 255 && position < b.Size()) ++position;
    double marker = b.At(position);
    if (marker >= 192 && marker <= 195) break;
    position += static_cast<size_t>(b.BigEndian16(position + 1)) + 1;
  }
  return {u"JPG", b.BigEndian16(position + 6), b.BigEndian16(position + 4), b.At(position + 8) * 8};
}

double PngBits(double depth, double colour_type) {
  switch (static_cast<int>(colour_type)) {
    case 0:
    case 3:
      return depth;
    case 2:
      return depth * 3;
    case 4:
      return depth * 2;
    case 6:
      return depth * 4;
    default:
      return -1;
  }
}

}  // namespace

std::optional<PictureInfo> SniffPicture(std::string_view data) {
  Bytes b(data);
  if (size_t soi = b.Find("\xFF\xD8\xFF"); soi != std::string_view::npos) return Jpeg(b, soi);
  if (b.Size() > 12 && (b.StartsWith("GIF89a") || b.StartsWith("GIF87a"))) {
    double packed = static_cast<double>(static_cast<int>(b.At(11)) & 112);
    return PictureInfo{u"gif", b.LittleEndian16(7), b.LittleEndian16(9), packed / 16 + 1};
  }
  if (b.Size() > 32 && b.StartsWith("BM"))
    return PictureInfo{u"bmp", b.LittleEndian32(19), b.LittleEndian32(23), b.LittleEndian16(29)};
  if (b.Size() > 27 && b.StartsWith(std::string_view("\x89PNG\r\n\x1A\n", 8)))
    return PictureInfo{u"png", b.BigEndian16(19), b.BigEndian16(23), PngBits(b.At(25), b.At(26))};
  return std::nullopt;
}

}  // namespace qe
