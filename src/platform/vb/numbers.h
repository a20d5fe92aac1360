#pragma once
// VB's number functions: Val, Hex, Oct, Int, Fix, Abs, Sgn, Round.
#include <cstdint>

#include "platform/vb/variant.h"

namespace vb {

// The number at the start of a text, locale-independent: blanks, tabs and
// line feeds are skipped everywhere (" 1 2 3" is 123), reading stops at the
// first character that cannot continue the number ("1,000" is 1, "12abc" is
// 12), "&H"/"&O" read hexadecimal/octal (16-bit up to &HFFFF, so "&HFFFF" is
// -1, 32-bit with a trailing "&" or beyond), and a text without a number is
// 0. 6 when the number is too large.
double Val(StringView text);

// Hexadecimal/octal digits of a whole number: Integer and Boolean as 16 bits
// (Hex(-1) is "FFFF"), Byte as it is, anything else rounded to a Long (32
// bits; 6 beyond). Empty gives "0"; Null raises 94.
String Hex(const Variant& value);
String Oct(const Variant& value);

// Int rounds down (Int(-2.5) = -3), Fix towards zero (Fix(-2.5) = -2).
double Int(double value);
double Fix(double value);
// On variants the result keeps the type (Integer, Long, Single, Double,
// Currency, Date; Boolean gives Integer, Empty Integer 0, a numeric text a
// Double); Null gives Null; 13 for what is not a number.
Variant Int(const Variant& value);
Variant Fix(const Variant& value);
// Abs widens where the result does not fit: Integer -32768 gives Long 32768,
// the smallest Long a Double.
Variant Abs(const Variant& value);
int Sgn(double value);
Variant Sgn(const Variant& value);  // Integer -1, 0 or 1; Null gives Null

// Round to `decimals` places with ties to even (Round(2.5) = 2,
// Round(0.125, 2) = 0.12): value × 10^decimals rounded to a whole number, in
// binary floating point, divided back. 5 when decimals < 0.
double Round(double value, int decimals = 0);
Variant Round(const Variant& value, int decimals = 0);

}  // namespace vb
