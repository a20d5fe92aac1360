// Big5 through glibc's iconv, one whole text per call (never per character).
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "platform/text/charset_sets.h"

namespace text::sets {
namespace {

constexpr const char* kBig5 = "BIG5";
constexpr const char* kUtf16 = "UTF-16LE";

// How many input bytes a sequence that iconv refuses takes up.
using SkipRule = size_t (*)(std::string_view rest);

// A Big5 lead byte with a byte of the trail range is one (unknown) character;
// anything else is one stray byte, so an ASCII byte after it is kept.
size_t Big5Skip(std::string_view rest) {
  auto lead = static_cast<unsigned char>(rest[0]);
  if (rest.size() < 2 || lead < 0x81 || lead > 0xFE) return 1;
  auto trail = static_cast<unsigned char>(rest[1]);
  return ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE)) ? 2 : 1;
}

size_t Utf16UnitSkip(std::string_view) { return 2; }

// Converts input with iconv. Where the input holds a sequence that makes no
// character of the target (or none at all), `substitute` goes to the output
// and the sequence is passed over.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view substitute, SkipRule skip) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert Big5");
  std::string out;
  out.resize(input.size() * 2 + 16);
  char* in = const_cast<char*>(input.data());
  size_t in_left = input.size();
  size_t used = 0;
  while (in_left > 0) {
    char* o = out.data() + used;
    size_t o_left = out.size() - used;
    size_t r = iconv(cd, &in, &in_left, &o, &o_left);
    used = out.size() - o_left;
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ (no such character) or EINVAL (cut off at the end).
    if (out.size() - used < substitute.size()) out.resize(out.size() * 2);
    out.replace(used, substitute.size(), substitute);
    used += substitute.size();
    size_t n = std::min(skip(std::string_view(in, in_left)), in_left);
    in += n;
    in_left -= n;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  out.resize(used);
  return out;
}

class Big5Charset final : public Charset {
 public:
  std::string_view Name() const override { return "big5"; }
  int CodePage() const override { return 950; }

  vb::String Decode(std::string_view bytes) const override {
    std::string utf16 = Convert(kUtf16, kBig5, bytes, std::string_view("?\0", 2), Big5Skip);
    vb::String out(utf16.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
      out[i] = static_cast<char16_t>(static_cast<unsigned char>(utf16[2 * i]) |
                                     static_cast<unsigned char>(utf16[2 * i + 1]) << 8);
    return out;
  }

  std::string Encode(vb::StringView text) const override {
    std::string utf16(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
      utf16[2 * i] = static_cast<char>(text[i] & 0xFF);
      utf16[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    // One "?" per code unit that Big5 lacks, as in code page 936.
    return Convert(kBig5, kUtf16, utf16, "?", Utf16UnitSkip);
  }
};

}  // namespace

const Charset& Big5() {
  static const Big5Charset set;
  return set;
}

}  // namespace text::sets
