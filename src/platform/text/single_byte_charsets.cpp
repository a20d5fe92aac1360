// The single-byte sets: US-ASCII and Windows code page 1252 (which Windows
// also reads for "iso-8859-1").
#include <array>

#include "platform/text/charset_sets.h"

namespace text::sets {
namespace {

// Code page 1252 at 0x80..0x9F; the five bytes Windows leaves undefined there
// (81 8D 8F 90 9D) pass through as the C1 controls of the same number.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

class AsciiCharset final : public Charset {
 public:
  std::string_view Name() const override { return "us-ascii"; }
  int CodePage() const override { return 20127; }
  vb::String Decode(std::string_view bytes) const override {
    vb::String out(bytes.size(), u'?');
    for (size_t i = 0; i < bytes.size(); ++i)
      if (static_cast<unsigned char>(bytes[i]) < 0x80) out[i] = static_cast<char16_t>(bytes[i]);
    return out;
  }
  std::string Encode(vb::StringView text) const override {
    std::string out(text.size(), '?');
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] < 0x80) out[i] = static_cast<char>(text[i]);
    return out;
  }
};

class Windows1252Charset final : public Charset {
 public:
  std::string_view Name() const override { return "windows-1252"; }
  int CodePage() const override { return 1252; }
  vb::String Decode(std::string_view bytes) const override {
    vb::String out(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
      auto b = static_cast<unsigned char>(bytes[i]);
      out[i] = (b >= 0x80 && b < 0xA0) ? kWindows1252High[b - 0x80] : b;
    }
    return out;
  }
  std::string Encode(vb::StringView text) const override {
    std::string out(text.size(), '?');
    for (size_t i = 0; i < text.size(); ++i) out[i] = EncodeOne(text[i]);
    return out;
  }

 private:
  static char EncodeOne(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (size_t k = 0; k < kWindows1252High.size(); ++k)
      if (kWindows1252High[k] == c) return static_cast<char>(0x80 + k);
    return '?';
  }
};

}  // namespace

const Charset& Ascii() {
  static const AsciiCharset set;
  return set;
}

const Charset& Windows1252() {
  static const Windows1252Charset set;
  return set;
}

}  // namespace text::sets
