#pragma once
// VB's Format and FormatNumber, for the patterns the component uses (zh-CN).
//
// Date patterns (a pattern holding y, q, m, d, w, h, n or s, in any case):
//   yyyy yy y (day of the year) q  m mm mmm mmmm (1月, 一月)  d dd ddd dddd
//   (周五, 星期五)  w (weekday, Sunday = 1)  h hh  n nn  s ss  AM/PM am/pm
//   (a 12-hour clock); m and mm right after h/hh or right before s/ss are
//   minutes. Other characters are copied; "text" and \c are literal.
// Number patterns: 0 (a digit always) and # (a digit when there is one)
//   before and after the decimal point ".", "," between the digits of the
//   whole part for thousands groups, "%" multiplies by 100; other characters
//   before or after the digits are copied (characters between the digits are
//   written after the number). Up to three sections "positive;negative;zero"
//   (the negative section shows no minus sign). Halves round away from zero,
//   on the value's 15 significant digits (Format(2.675, "0.00") = "2.68");
//   a negative value that rounds to zero keeps its sign ("-0.00").
//   Scientific patterns (0.00E+00) and digit scaling by trailing commas are
//   not supported.
// Named formats: "General Date", "Long Date" (yyyy年M月d日), "Short Date"
//   (yyyy/M/d), "Long Time" (H:mm:ss), "Short Time" (H:mm), "General Number",
//   "Fixed" (0.00), "Standard" (#,##0.00), "Percent" (0.00%).
// Null gives ""; an empty pattern gives CStr of the value; a text that is no
// date (for a date pattern) or no number (for a number pattern) comes back
// as it is.
#include "platform/vb/variant.h"

namespace vb {

String Format(const Variant& value, StringView pattern = u"");

// FormatNumber: thousands groups, `decimals` places (-1: the zh-CN default of
// 2), a leading 0 before the point, "-" for negatives. 13 for what is not a
// number, 94 for Null, 5 for decimals below -1.
String FormatNumber(const Variant& value, int decimals = -1);

}  // namespace vb
