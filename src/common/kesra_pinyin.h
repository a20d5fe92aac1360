#pragma once
// Pinyin of Chinese text without a dictionary: GB 2312 sorts its level-1
// characters (B0A1 to D7F9) by reading, so a character's code tells its
// initial and its toneless syllable.
#include <cstdint>
#include <string_view>

#include "platform/vb/string.h"

namespace qe {

// The capital initial of the first character, or the whole text when that
// character is not a level-1 character. Raises 5 for the empty text.
vb::String KesraGetPyChar(const vb::String& p_String);
// Every level-1 character replaced by its capital initial. Raises 6 past
// 32,767 characters.
vb::String KesraGetPyString(const vb::String& p_String);
// The toneless pinyin of the level-1 characters, run together, with the
// single-byte characters kept and everything else dropped. Raises 6 past
// 32,767 characters.
vb::String KesraGetQPyString(const vb::String& p_String);

// For one ANSI code: the capital initial, or 0 when the code is not that of a
// level-1 character.
char16_t PinyinInitialOf(int32_t ansi_code);
// For one ANSI code: the toneless syllable ("lv" for lü), or empty when the
// code is not that of a level-1 character.
std::u16string_view PinyinSyllableOf(int32_t ansi_code);

}  // namespace qe
