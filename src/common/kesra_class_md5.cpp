#include "common/kesra_class_md5.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

#include "platform/text/ansi.h"
#include "platform/vb/random.h"
#include "platform/vb/strings.h"
#include "platform/com/live_objects.h"

namespace qe {
namespace {

// RFC 1321: the sine-derived constants, the shift amounts of each round and
// the initial registers.
constexpr std::array<uint32_t, 64> kSine = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};
constexpr std::array<int, 16> kShift = {7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21};

using Block = std::array<uint32_t, 16>;

struct Registers {
  uint32_t a = 0x67452301, b = 0xefcdab89, c = 0x98badcfe, d = 0x10325476;
};

// One step of a round: a = b + ((a + f(b, c, d) + x[k] + t) <<< s).
template <int kStep>
inline void Step(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, const Block& x) {
  constexpr int kRound = kStep / 16;
  constexpr size_t kWord = kRound == 0   ? kStep
                           : kRound == 1 ? (5 * kStep + 1) % 16
                           : kRound == 2 ? (3 * kStep + 5) % 16
                                         : (7 * kStep) % 16;
  uint32_t f;
  if constexpr (kRound == 0) f = d ^ (b & (c ^ d));  // F: (b and c) or (not b and d)
  else if constexpr (kRound == 1) f = c ^ (d & (b ^ c));  // G: (b and d) or (c and not d)
  else if constexpr (kRound == 2) f = b ^ c ^ d;  // H
  else f = c ^ (b | ~d);  // I
  a = b + std::rotl(a + f + x[kWord] + kSine[kStep], kShift[kRound * 4 + kStep % 4]);
}

// Four steps, the registers taking their turns as a.
template <int kStep>
inline void FourSteps(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d, const Block& x) {
  Step<kStep>(a, b, c, d, x);
  Step<kStep + 1>(d, a, b, c, x);
  Step<kStep + 2>(c, d, a, b, x);
  Step<kStep + 3>(b, c, d, a, x);
}

template <int... kGroups>
inline void AllSteps(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d, const Block& x,
                     std::integer_sequence<int, kGroups...>) {
  (FourSteps<kGroups * 4>(a, b, c, d, x), ...);
}

void Compress(Registers& r, const Block& x) {
  uint32_t a = r.a, b = r.b, c = r.c, d = r.d;
  AllSteps(a, b, c, d, x, std::make_integer_sequence<int, 16>());
  r.a += a;
  r.b += b;
  r.c += c;
  r.d += d;
}

// The message words of block k: each character's code sign-extended to 32 bits
// and OR-ed in at byte 0..3 of word i div 4, the 0x80 pad OR-ed in after the
// last character, and the length in characters times 8 in the last two words.
class MessageWords {
 public:
  explicit MessageWords(vb::StringView text)
      : text_(text),
        length_(text.size()),
        word_count_(16 * ((length_ + 8) / 64 + 1)) {}

  size_t BlockCount() const { return word_count_ / 16; }

  void Fill(size_t block, Block& out) const {
    if ((block + 1) * 64 <= length_) {  // all characters: no pad, no length
      const char16_t* p = text_.data() + block * 64;
      for (size_t w = 0; w < 16; ++w, p += 4) out[w] = WordOf(p);
      return;
    }
    for (size_t w = 0; w < 16; ++w) {
      const size_t j = block * 16 + w;
      uint32_t word = 0;
      for (size_t m = 0, i = j * 4; m < 4 && i < length_; ++m, ++i) word |= CodeWord(text_[i]) << (8 * m);
      if (j == length_ / 4) word |= 0x80u << (8 * (length_ % 4));
      if (j == word_count_ - 2) word = static_cast<uint32_t>(length_ * 8);
      if (j == word_count_ - 1) word = static_cast<uint32_t>(static_cast<uint64_t>(length_) >> 29);
      out[w] = word;
    }
  }

 private:
  // The code of a character sign-extended to 32 bits (ASCII is its own code).
  static uint32_t CodeWord(char16_t c) {
    return c < 0x80 ? c : static_cast<uint32_t>(static_cast<int32_t>(text::AnsiCode(c)));
  }

  // The four codes from p OR-ed into one word.
  static uint32_t WordOf(const char16_t* p) {
    return CodeWord(p[0]) | CodeWord(p[1]) << 8 | CodeWord(p[2]) << 16 | CodeWord(p[3]) << 24;
  }

  vb::StringView text_;
  size_t length_;
  size_t word_count_;
};

// The four bytes of each register from the lowest, as upper-case hexadecimal.
vb::String WordsToHex(const Registers& r) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  vb::String out;
  out.reserve(32);
  for (uint32_t word : {r.a, r.b, r.c, r.d}) {
    for (int byte = 0; byte < 4; ++byte) {
      const uint32_t v = (word >> (8 * byte)) & 0xFF;
      out.push_back(kDigits[v >> 4]);
      out.push_back(kDigits[v & 0xF]);
    }
  }
  return out;
}

// A letter from "b" to "y" (the far end only when the draw is exactly 0):
// the character floor(top - 24 * r). The draw comes from the thread's
// generator, seeded once: reseeding from the clock at every call would give
// the same salt to every password set within one clock tick.
char16_t SaltLetter(char16_t top) {
  return static_cast<char16_t>(std::floor(static_cast<double>(top) - 24 * vb::Rnd()));
}

}  // namespace

Kesra_Class_Md5::Kesra_Class_Md5() { com::CountObject(1); }
Kesra_Class_Md5::~Kesra_Class_Md5() { com::CountObject(-1); }

vb::String Kesra_Class_Md5::KesraMd5(vb::StringView sMessage) const {
  const MessageWords words(sMessage);
  Registers registers;
  Block block;
  for (size_t k = 0; k < words.BlockCount(); ++k) {
    words.Fill(k, block);
    Compress(registers, block);
  }
  return WordsToHex(registers);
}

vb::String Kesra_Class_Md5::KesraMd5(vb::Variant& sMessage) const {
  return KesraMd5(vb::CStr(com::ValueOf(sMessage)));
}

vb::String Kesra_Class_Md5::KesraServU(vb::StringView p_StrPass) const {
  vb::String salt;
  salt.push_back(SaltLetter(u'z'));
  salt += vb::LCase(vb::String(1, SaltLetter(u'Z')));
  return salt + KesraMd5(salt + vb::String(p_StrPass));
}

const com::MemberTable<Kesra_Class_Md5>& Kesra_Class_Md5::Members() {
  using com::ArgList;
  using vb::Variant;
  static const com::MemberTable<Kesra_Class_Md5> table{
      {u"KesraMd5", com::kGet, 1, 1, [](Kesra_Class_Md5& m, ArgList& a) { return Variant(m.KesraMd5(a[0])); }},
      {u"KesraServU", com::kGet, 1, 1,
       [](Kesra_Class_Md5& m, ArgList& a) { return Variant(m.KesraServU(vb::CStr(com::ValueOf(a[0])))); }},
  };
  return table;
}

}  // namespace qe
