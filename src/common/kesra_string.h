#pragma once
// Small text tools of pages: a regular-expression replace, a test for Chinese
// text, list-field replacement, the text between two delimiters, and joining
// a query separator onto an address.
#include <cstdint>

#include "platform/vb/string.h"

namespace qe {

// Every match of the pattern (case-insensitive) replaced; "$1" and the other
// tokens are the RegExp object's. A pattern that does not compile raises its
// RegExp error.
vb::String KesraReplaceExp(vb::StringView p_String, vb::StringView p_Pattern, vb::StringView p_ReplaceString);

// True for a character from U+4E00 to U+9FA5, or for a GB2312 code carried one
// byte per character (two characters 0xB0-0xF7 then 0xA1-0xFE, so some pairs
// of Latin-1 letters count as Chinese too).
bool KesraHasChinese(vb::StringView p_String);

// Field p_At (from 0) of the delimited list replaced; a position past the end
// adds empty fields up to it; a negative one leaves the list as it is.
vb::String KesraReplaceAt(vb::StringView p_Expression, int16_t p_At, vb::StringView p_ReplaceWith,
                          vb::StringView p_Delimiter);

// The text between cBeginDelim (searched from character nOccurrence) and
// cEndDelim. nFlag: 1 ignore case, 2 no end delimiter (to the end of the text),
// 4 keep the begin delimiter; a negative flag sets none.
vb::String KesraStrExtract(vb::StringView cSearchExpression, vb::StringView cBeginDelim,
                           vb::StringView cEndDelim, int16_t nOccurrence, int16_t nFlag);

// The address ready for one more query parameter: "?" or "&" added unless it
// already ends in the separator it needs.
vb::String KesraJoinChar(vb::StringView p_StrUrl);

}  // namespace qe
