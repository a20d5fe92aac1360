#pragma once
// VB's conversion functions and implicit coercions between Variant types.
#include <cstdint>
#include <optional>

#include "platform/vb/variant.h"

namespace vb {

// Coercion of a text to a number as VB does it for CDbl/CLng, IsNumeric and
// arithmetic (zh-CN): blanks around, a sign before or after the number, the
// currency sign "¥" or "￥" before it, thousands separators "," before the
// decimal point, an exponent ("E" or "D"), "&H"/"&O" prefixes, "(1)" as
// negative. False when the text is not a number or too large for a Double.
bool ParseNumber(StringView text, double& out);

// CStr of a Double/Single: up to 15 (Single: 7) significant digits, no
// trailing zeros; the exponent form ("1E+15", "1E-05") from 10^15 (Single:
// 10^7) up and below 10^-4.
String DoubleToString(double value);
String SingleToString(float value);
String CurrencyToString(Currency value);

// Texts convert by ParseNumber (13 otherwise: a date text is no number),
// Empty is 0, Null raises 94, Nothing 91, other objects and arrays 13.
double CDbl(const Variant& v);
float CSng(const Variant& v);         // 6 beyond Single's range
int16_t CInt(const Variant& v);   // ties to even; error 6 outside -32768..32767
int32_t CLng(const Variant& v);   // ties to even; error 6 outside the 32-bit range
uint8_t CByte(const Variant& v);  // error 6 outside 0..255
bool CBool(const Variant& v);     // "True"/"False" and numbers; error 13 otherwise
Currency CCur(const Variant& v);  // ties to even at the fourth decimal; 6 beyond the range
// Date texts (ParseDate), then numeric texts and numbers as serials; 6
// outside VB's range of dates, 13 for other texts.
Date CDate(const Variant& v);
// Empty gives ""; Null raises 94; Boolean "True"/"False"; dates as
// FormatDateDefault; Error values "Error n".
String CStr(const Variant& v);

// The double nearest to a Currency.
double CurrencyToDouble(Currency value);
// The Currency that a double was made from: its nearest count of
// ten-thousandths, and the limits for the doubles nearest to them (which lie
// just beyond them, so that every Currency comes back from its double);
// nullopt for anything further out, infinities and NaN.
std::optional<Currency> CurrencyOfDouble(double value);

// Round half to even, as CInt/CLng/CCur do.
double RoundHalfEven(double value);

// A Variant converted to a VB type number (vbString, vbLong, ...), by the rules above.
Variant CoerceTo(const Variant& v, VarType type);

}  // namespace vb
