#include "platform/text/ansi.h"

#include <array>
#include <memory>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/text/cp936_table.h"
#include "platform/vb/error.h"

namespace text {
namespace {

constexpr uint16_t kQuestionMark = 0x3F;

// Both directions, built once from the generated table: the code of every
// UTF-16 code unit ("?" where no code decodes to it), and the character of
// every pair of bytes read as lead * 256 + trail (kNoChar where the pair is no
// double-byte character), so that a lookup is one load.
struct Tables {
  std::array<uint16_t, 0x10000> code_of_unit;
  std::array<char16_t, 0x10000> char_of_pair;
};

std::unique_ptr<Tables> BuildTables() {
  auto t = std::make_unique<Tables>();
  t->code_of_unit.fill(kQuestionMark);
  t->char_of_pair.fill(cp936::kNoChar);
  for (int b = 0; b < 256; ++b) {
    char16_t c = cp936::kSingleByte[b];
    if (c != cp936::kNoChar) t->code_of_unit[c] = static_cast<uint16_t>(b);
  }
  for (int lead = cp936::kFirstLead; lead <= cp936::kLastLead; ++lead) {
    for (int trail = cp936::kFirstTrail; trail <= cp936::kLastTrail; ++trail) {
      char16_t c = cp936::kDoubleByte[(lead - cp936::kFirstLead) * cp936::kTrailCount +
                                      (trail - cp936::kFirstTrail)];
      if (c == cp936::kNoChar) continue;
      const auto code = static_cast<uint16_t>(lead << 8 | trail);
      t->code_of_unit[c] = code;
      t->char_of_pair[code] = c;
    }
  }
  return t;
}

const Tables& Table() {
  static const std::unique_ptr<Tables> tables = BuildTables();
  return *tables;
}

// Widens the ASCII bytes at the start of [p, end) to out; returns how many
// there were. It may write up to 16 units past them, which the caller has room
// for: the output never runs ahead of the input.
inline size_t WidenAscii(const unsigned char* p, const unsigned char* end, char16_t* out) {
  size_t n = 0;
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128();
  while (end - p - n >= 16) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), _mm_unpacklo_epi8(block, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n + 8), _mm_unpackhi_epi8(block, zero));
    auto high_bits = static_cast<unsigned>(_mm_movemask_epi8(block));
    if (high_bits) return n + static_cast<size_t>(__builtin_ctz(high_bits));
    n += 16;
  }
#endif
  while (p + n < end && p[n] < 0x80) {
    out[n] = p[n];
    ++n;
  }
  return n;
}

// Narrows the ASCII units at the start of [p, end) to out; returns how many
// there were. It may write up to 16 bytes past them, which the caller has room
// for: the output has two bytes for every unit.
inline size_t NarrowAscii(const char16_t* p, const char16_t* end, char* out) {
  size_t n = 0;
#ifdef __SSE2__
  const __m128i non_ascii = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  while (end - p - static_cast<ptrdiff_t>(n) >= 16) {
    __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n));
    __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n + 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), _mm_packus_epi16(low, high));
    // Two mask bits per unit, set where the unit is ASCII.
    auto ascii_low = static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(low, non_ascii), zero)));
    auto ascii_high = static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(high, non_ascii), zero)));
    uint32_t others = ~(ascii_low | ascii_high << 16);
    if (others) return n + static_cast<size_t>(__builtin_ctz(others)) / 2;
    n += 16;
  }
#endif
  while (p + n < end && p[n] < 0x80) {
    out[n] = static_cast<char>(p[n]);
    ++n;
  }
  return n;
}

}  // namespace

size_t DecodeAnsi(std::string_view bytes, char16_t* out) {
  const auto& pairs = Table().char_of_pair;
  char16_t* o = out;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    size_t ascii = WidenAscii(p, end, o);
    p += ascii;
    o += ascii;
    // A run of other bytes: mostly double-byte characters.
    while (p < end && *p >= 0x80) {
      if (end - p >= 2) {
        char16_t c = pairs[p[0] << 8 | p[1]];
        if (c != cp936::kNoChar) {
          *o++ = c;
          p += 2;
          continue;
        }
      }
      // A single byte (0x80, 0xFF), or a lead byte without its trail byte.
      uint8_t b = *p++;
      *o++ = cp936::IsLeadByte(b) ? u'?' : cp936::kSingleByte[b];
    }
  }
  return static_cast<size_t>(o - out);
}

vb::String DecodeAnsi(std::string_view bytes) {
  vb::String out(bytes.size(), u'\0');
  out.resize(DecodeAnsi(bytes, out.data()));
  return out;
}

size_t EncodeAnsi(vb::StringView text, char* out) {
  const auto& table = Table().code_of_unit;
  char* o = out;
  const char16_t* p = text.data();
  const char16_t* end = p + text.size();
  while (p < end) {
    size_t ascii = NarrowAscii(p, end, o);
    p += ascii;
    o += ascii;
    // A run of other characters: mostly double-byte ones.
    while (p < end && *p >= 0x80) {
      uint16_t code = table[*p++];
      if (code > 0xFF) *o++ = static_cast<char>(code >> 8);
      *o++ = static_cast<char>(code & 0xFF);
    }
  }
  return static_cast<size_t>(o - out);
}

std::string EncodeAnsi(vb::StringView text) {
  std::string out(text.size() * 2, '\0');
  out.resize(EncodeAnsi(text, out.data()));
  return out;
}

uint16_t AnsiCodeUnsigned(char16_t c) { return Table().code_of_unit[c]; }

size_t ByteLength(vb::StringView text) {
  const auto& table = Table().code_of_unit;
  size_t n = text.size();
  for (char16_t c : text)
    if (table[c] > 0xFF) ++n;
  return n;
}

int16_t Asc(vb::StringView text) {
  if (text.empty()) vb::Raise(vb::kInvalidProcedureCall);
  return AnsiCode(text.front());
}

vb::String Chr(int32_t code) {
  if (code < -32768 || code > 65535) vb::Raise(vb::kInvalidProcedureCall);
  const auto unsigned_code = static_cast<uint16_t>(code);
  const char16_t c = unsigned_code <= 0xFF ? cp936::kSingleByte[unsigned_code]
                                           : Table().char_of_pair[unsigned_code];
  if (c == cp936::kNoChar) vb::Raise(vb::kInvalidProcedureCall);
  return vb::String(1, c);
}

}  // namespace text
