#pragma once
// VB's string functions, with VB's rules: positions count UTF-16 code units
// from 1, a bad position or length raises 5 (invalid procedure call).
//
// Text compare (vbTextCompare) folds case with Unicode's simple case folding,
// one code unit at a time, and otherwise compares code units; it does not sort
// by the locale's collation (no pinyin order for StrComp of Chinese text).
//
// Asc and Chr (the ANSI codes of code page 936) live with the code page, in
// platform/text; AscW and ChrW are here.
#include <cstdint>
#include <vector>

#include "platform/vb/variant.h"

namespace vb {

enum CompareMethod { vbBinaryCompare = 0, vbTextCompare = 1 };

// Trim/LTrim/RTrim remove blanks (U+0020) only.
String Trim(StringView s);
String LTrim(StringView s);
String RTrim(StringView s);

int32_t Len(StringView s);
String Left(StringView s, int32_t length);   // 5 when length < 0
String Right(StringView s, int32_t length);  // 5 when length < 0
// From start to the end; 5 when start < 1. A start past the end gives "".
String Mid(StringView s, int32_t start);
// 5 when start < 1 or length < 0.
String Mid(StringView s, int32_t start, int32_t length);

// VB's Space(n) and String(n, character); 5 when n < 0. The character is a
// code unit (from ChrW, or Chr of the code page) or the first character of a
// text (5 when the text is empty).
String Space(int32_t count);
String StringOf(int32_t count, char16_t character);
String StringOf(int32_t count, StringView character);
String StrReverse(StringView s);

String LCase(StringView s);
String UCase(StringView s);

// AscW is VB's Integer: code units from U+8000 on are negative. 5 for "".
int16_t AscW(StringView s);
// ChrW takes -32768..65535 (negative codes are the same units as AscW's); 5
// otherwise.
String ChrW(int32_t code);

// InStr: the position of `find` in `s` from `start`, 0 when absent. An empty
// `s` gives 0, an empty `find` gives `start`; 5 when start < 1.
int32_t InStr(StringView s, StringView find, CompareMethod compare = vbBinaryCompare);
int32_t InStr(int32_t start, StringView s, StringView find,
              CompareMethod compare = vbBinaryCompare);
// InStrRev: searching backwards from `start` (-1 = the end); the match must end
// at or before `start`. An empty `find` gives `start` (the length for -1);
// 5 when start is 0 or below -1.
int32_t InStrRev(StringView s, StringView find, int32_t start = -1,
                 CompareMethod compare = vbBinaryCompare);

// Replace returns the text from `start` on, with up to `count` (-1 = all)
// matches replaced, left to right and not overlapping. 5 when start < 1 or
// count < -1.
String Replace(StringView s, StringView find, StringView replacement, int32_t start = 1,
               int32_t count = -1, CompareMethod compare = vbBinaryCompare);

// -1, 0 or 1.
int StrComp(StringView a, StringView b, CompareMethod compare = vbBinaryCompare);

// Split: "" gives no parts (an array with UBound -1); an empty delimiter gives
// the whole text as one part; `limit` parts at most, the last holding the rest
// (-1 = no limit, 0 = no parts); 5 when limit < -1.
std::vector<String> SplitParts(StringView s, StringView delimiter = u" ", int32_t limit = -1,
                               CompareMethod compare = vbBinaryCompare);
// The same as VB's String() array, from 0.
Array Split(StringView s, StringView delimiter = u" ", int32_t limit = -1,
            CompareMethod compare = vbBinaryCompare);

// Join of a one-dimensional array (elements by CStr; 5 for more dimensions,
// 13 for a byte array).
String Join(const Array& parts, StringView delimiter = u" ");
String Join(const std::vector<String>& parts, StringView delimiter = u" ");

}  // namespace vb
