#pragma once
// VB's information functions: what a variant holds.
#include <cstdint>

#include "platform/vb/variant.h"

namespace vb {

// True for Empty, the numeric types and Boolean, and a text that converts to
// a number (ParseNumber's zh-CN rules: "1,000", " 12 ", "&H10", "1e3",
// "￥12"); false for Null, dates, "" and "12abc".
bool IsNumeric(const Variant& v);
// True for a Date and a text that reads as one (ParseDate); false for
// numbers.
bool IsDate(const Variant& v);
inline bool IsEmpty(const Variant& v) { return v.IsEmpty(); }
inline bool IsNull(const Variant& v) { return v.IsNull(); }
inline bool IsArray(const Variant& v) { return v.IsArray(); }
inline bool IsObject(const Variant& v) { return v.IsObject(); }  // Nothing too
inline bool IsMissing(const Variant& v) { return v.IsMissing(); }
// VB's VarType(v) is v.Type(): the name VarType is the enum of type numbers.
// "Integer", "String", "Nothing", the object's own name, "Variant()" ...
String TypeName(const Variant& v);

}  // namespace vb
