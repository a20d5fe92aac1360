#pragma once
// VB's operators on variants, as the component's expressions use them.
//
// Null propagates through arithmetic and comparison; in an If a Null
// condition counts as False, which is what Equals/NotEquals give.
// Arithmetic results take VB's types: Byte, Integer, Long, Single, Double,
// Currency or Date after the wider operand (Boolean counts as Integer; Single
// with Long gives Double; Currency with Single or Double gives Double; Empty
// takes the other operand's type), and an integral result that overflows
// widens (Byte to Integer to Long to Double, Single to Double). Currency and
// Double overflow raise 6, a date out of range 6. Texts are read as Double
// (13 when not numeric). Objects and arrays raise 13 (Nothing 91).
#include <optional>

#include "platform/vb/strings.h"
#include "platform/vb/variant.h"

namespace vb {

// <, =, >: -1, 0 or 1; empty when either side is Null. Empty is 0 against a
// number and "" against a text; a text against a number compares as a number
// when it is numeric and is otherwise the greater.
std::optional<int> Compare(const Variant& a, const Variant& b,
                           CompareMethod compare = vbBinaryCompare);
// a = b and a <> b as an If tests them: False when either side is Null.
bool Equals(const Variant& a, const Variant& b, CompareMethod compare = vbBinaryCompare);
bool NotEquals(const Variant& a, const Variant& b, CompareMethod compare = vbBinaryCompare);

// &: texts of both sides (Null as ""); Null only when both are Null.
Variant Concat(const Variant& a, const Variant& b);
// +: two texts (or a text and Empty) concatenate; otherwise numbers add, a
// date plus a number is a date.
Variant Add(const Variant& a, const Variant& b);
// -: date minus date is a Double, date minus number a date.
Variant Subtract(const Variant& a, const Variant& b);
Variant Multiply(const Variant& a, const Variant& b);
// /: a Double; 11 for a zero divisor, 6 for 0 / 0.
Variant Divide(const Variant& a, const Variant& b);
// \ and Mod: both sides rounded to whole numbers first (ties to even); the
// result is Byte, Integer or Long after the operands; 11 for a zero divisor.
// Mod takes the sign of the dividend.
Variant IntDivide(const Variant& a, const Variant& b);
Variant Mod(const Variant& a, const Variant& b);

}  // namespace vb
