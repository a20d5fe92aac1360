#include "common/kesra_pinyin.h"

#include "platform/text/ansi.h"

#include <algorithm>
#include <iterator>

#include "platform/vb/error.h"

namespace qe {
namespace {

// A GB code is the ANSI code read as unsigned: lead byte first.
constexpr int32_t kGbOffset = 65536;
constexpr int32_t kFirstLevelOne = 0xB0A1 - kGbOffset;
constexpr int32_t kLastLevelOne = 0xD7F9 - kGbOffset;
constexpr int32_t kFirstGbTrailByte = 0xA1;
constexpr int32_t kLastGbTrailByte = 0xFE;
constexpr size_t kMaxCountedLength = 32767;  // characters are counted in 16-bit integers
constexpr int32_t kFirstNonAsciiSingleByte = 160;

struct InitialRow {
  char16_t letter;
  int32_t first_gb, last_gb;  // inclusive
};

// The letters I, U and V open no syllable.
constexpr InitialRow kInitials[] = {
    {u'A', 0xB0A1, 0xB0C4}, {u'B', 0xB0C5, 0xB2C0}, {u'C', 0xB2C1, 0xB4ED},
    {u'D', 0xB4EE, 0xB6E9}, {u'E', 0xB6EA, 0xB7A1}, {u'F', 0xB7A2, 0xB8C0},
    {u'G', 0xB8C1, 0xB9FD}, {u'H', 0xB9FE, 0xBBF6}, {u'J', 0xBBF7, 0xBFA5},
    {u'K', 0xBFA6, 0xC0AB}, {u'L', 0xC0AC, 0xC2E7}, {u'M', 0xC2E8, 0xC4C2},
    {u'N', 0xC4C3, 0xC5B5}, {u'O', 0xC5B6, 0xC5BD}, {u'P', 0xC5BE, 0xC6D9},
    {u'Q', 0xC6DA, 0xC8BA}, {u'R', 0xC8BB, 0xC8F5}, {u'S', 0xC8F6, 0xCBF9},
    {u'T', 0xCBFA, 0xCDD9}, {u'W', 0xCDDA, 0xCEF3}, {u'X', 0xCEF4, 0xD1B8},
    {u'Y', 0xD1B9, 0xD4D0}, {u'Z', 0xD4D1, 0xD7F9},
};

struct SyllableRow {
  std::u16string_view syllable;
  int32_t start;  // ANSI code of the first character that reads it
};

constexpr SyllableRow kSyllables[] = {
#include "common/kesra_pinyin_table.inc"
};
static_assert(std::size(kSyllables) == 396);
static_assert(kSyllables[0].start == kFirstLevelOne);

// Code page 936 also puts characters outside GB 2312 (traditional ones among
// them, such as 說 at D566) on trail bytes 40 to A0 of the level-1 rows. Their
// codes fall between level-1 codes but say nothing of their reading, so they
// are treated like level-2 characters.
bool IsLevelOne(int32_t ansi_code) {
  const int32_t trail = ansi_code & 0xFF;
  return ansi_code >= kFirstLevelOne && ansi_code <= kLastLevelOne &&
         trail >= kFirstGbTrailByte && trail <= kLastGbTrailByte;
}

void RaiseIfTooLongToCount(const vb::String& text) {
  if (text.size() > kMaxCountedLength) vb::Raise(vb::kOverflow);
}

}  // namespace

char16_t PinyinInitialOf(int32_t ansi_code) {
  if (!IsLevelOne(ansi_code)) return 0;
  const int32_t gb = ansi_code + kGbOffset;
  const auto row = std::find_if(std::begin(kInitials), std::end(kInitials),
                                [gb](const InitialRow& r) { return gb <= r.last_gb; });
  return row->letter;
}

std::u16string_view PinyinSyllableOf(int32_t ansi_code) {
  if (!IsLevelOne(ansi_code)) return {};
  const auto after = std::upper_bound(
      std::begin(kSyllables), std::end(kSyllables), ansi_code,
      [](int32_t code, const SyllableRow& row) { return code < row.start; });
  return std::prev(after)->syllable;
}

vb::String KesraGetPyChar(const vb::String& p_String) {
  if (p_String.empty()) vb::Raise(vb::kInvalidProcedureCall);
  const char16_t initial = PinyinInitialOf(text::AnsiCode(p_String[0]));
  return initial ? vb::String(1, initial) : p_String;
}

vb::String KesraGetPyString(const vb::String& p_String) {
  RaiseIfTooLongToCount(p_String);
  vb::String result;
  result.reserve(p_String.size());
  for (const char16_t character : p_String) {
    const char16_t initial = PinyinInitialOf(text::AnsiCode(character));
    result += initial ? initial : character;
  }
  return result;
}

vb::String KesraGetQPyString(const vb::String& p_String) {
  RaiseIfTooLongToCount(p_String);
  vb::String result;
  result.reserve(p_String.size() * 3);
  for (const char16_t character : p_String) {
    const int32_t code = text::AnsiCode(character);
    if (code > 0 && code < kFirstNonAsciiSingleByte) {
      // A character the page lacks has become "?"; any other single-byte code
      // belongs to this character alone, as the page has no best-fit mappings.
      result += code == u'?' ? u'?' : character;
    } else {
      result += PinyinSyllableOf(code);
    }
  }
  return result;
}

}  // namespace qe
