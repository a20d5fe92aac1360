#pragma once
// VB's conversion functions and implicit coercions between Variant types.
#include <cstdint>

#include "platform/vb/variant.h"

namespace vb {

// Coercion of a text to a number as VB does it for CDbl/CLng, IsNumeric and
// arithmetic (zh-CN): blanks around, a sign before or after the number, the
// currency sign "¥" or "￥" before it, thousands separators "," before the
// decimal point, an exponent ("E" or "D"), "&H"/"&O" prefixes, "(1)" as
// negative. False when the text is not a number or too large for a Double.
bool ParseNumber(StringView text, double& out);

// CStr of a Double/Single: up to 15 (Single: 7) significant digits, no
// trailing zeros, exponent form "1E+16" outside VB's fixed range.
String DoubleToString(double value);
String SingleToString(float value);
String CurrencyToString(Currency value);

double CDbl(const Variant& v);
float CSng(const Variant& v);
int16_t CInt(const Variant& v);   // ties to even; error 6 outside -32768..32767
int32_t CLng(const Variant& v);   // ties to even; error 6 outside the 32-bit range
uint8_t CByte(const Variant& v);  // error 6 outside 0..255
bool CBool(const Variant& v);     // "True"/"False" and numbers; error 13 otherwise
Currency CCur(const Variant& v);
Date CDate(const Variant& v);     // numbers and date texts (IsDate rules)
String CStr(const Variant& v);    // Empty gives ""; Null raises 94; dates per FormatDateTime

// Round half to even, as CInt/CLng/CCur do.
double RoundHalfEven(double value);

// A Variant converted to a VB type number (vbString, vbLong, ...), by the rules above.
Variant CoerceTo(const Variant& v, VarType type);

}  // namespace vb
