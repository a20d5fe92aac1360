#pragma once
// Display widths of mixed Chinese and Latin text, as a fixed-width Chinese page
// shows it: a double-byte character of code page 936 (every Chinese character
// and full-width sign) takes two columns, any other character one.
//
// Two counts differ on NUL: the title tools (KesraGetTopicStr, KesraGetString,
// KesraGetStringLength) count it as one column; the measures and cuts
// (KesraGetStringLength2/3, KesraGetStringLeft/Right) count every character
// whose ANSI code is not positive as double-byte, NUL included.
//
// Widths and positions are 16-bit: past 32,767 they raise overflow (6), and so
// does a text of more than 32,767 characters for the procedures that walk it.
#include <cstdint>

#include "platform/vb/string.h"

namespace qe {

// A title cut for a list: "&nbsp;", "&quot;", "&gt;" and "&lt;" read as their
// characters, cut where the width reaches p_StringLength with "…" after it
// (also when the text ends exactly there), and the four written as entities
// again (every blank as "&nbsp;").
vb::String KesraGetTopicStr(vb::StringView p_String, int16_t p_StringLength);

// The characters on columns p_StringStart .. p_StringStart + p_StringLength - 1
// (from 1), entities read as characters: a double-byte character that covers
// the first column is left out, one that starts in the last column is taken.
vb::String KesraGetString(vb::StringView p_String, int16_t p_StringStart, int16_t p_StringLength);

// Bytes in code page 936. Never raises: a text of more than 32,767 characters
// gives 0, and a longer count stops at 32,767.
int16_t KesraGetStringLength(vb::StringView p_String);
// Display width of the trimmed text; the same counting 3 per double-byte
// character (its length in UTF-8 when it is Chinese).
int16_t KesraGetStringLength2(vb::StringView p_String);
int16_t KesraGetStringLength3(vb::StringView p_String);

// Characters from the left (right) until the width reaches p_StringLength: one
// column more when the last is double-byte, at least one character of a
// non-empty text, no ellipsis.
vb::String KesraGetStringLeft(vb::StringView p_String, int16_t p_StringLength);
vb::String KesraGetStringRight(vb::StringView p_String, int16_t p_StringLength);

}  // namespace qe
