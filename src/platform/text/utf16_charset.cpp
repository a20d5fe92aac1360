// UTF-16 in either byte order ("unicode" is little-endian, as Windows has it).
#include "platform/text/charset_sets.h"

namespace text::sets {
namespace {

class Utf16Charset final : public Charset {
 public:
  explicit Utf16Charset(bool big_endian) : big_endian_(big_endian) {}

  std::string_view Name() const override { return big_endian_ ? "unicodeFFFE" : "unicode"; }
  int CodePage() const override { return big_endian_ ? 1201 : 1200; }

  vb::String Decode(std::string_view bytes) const override {
    vb::String out;
    out.reserve(bytes.size() / 2 + 1);
    const int high = big_endian_ ? 0 : 1;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      auto hi = static_cast<unsigned char>(bytes[i + high]);
      auto lo = static_cast<unsigned char>(bytes[i + 1 - high]);
      out.push_back(static_cast<char16_t>(hi << 8 | lo));
    }
    if (bytes.size() % 2) out.push_back(u'\uFFFD');  // half a code unit
    return out;
  }

  std::string Encode(vb::StringView text) const override {
    std::string out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
      char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
      if (big_endian_) {
        out.push_back(hi);
        out.push_back(lo);
      } else {
        out.push_back(lo);
        out.push_back(hi);
      }
    }
    return out;
  }

 private:
  bool big_endian_;
};

}  // namespace

const Charset& Utf16(bool big_endian) {
  static const Utf16Charset little(false), big(true);
  return big_endian ? big : little;
}

}  // namespace text::sets
