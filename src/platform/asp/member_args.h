#pragma once
// Reading late-bound arguments the way the ASP objects take them.
#include "platform/com/object.h"

namespace asp {

// The text of an argument; objects give their default value, and Empty,
// Null and a left-out argument give "".
vb::String ArgText(const vb::Variant& value);

// True when an argument selects by position (a number) rather than by name.
bool IsIndexArg(const vb::Variant& value);

// A 1-based position argument as a 0-based index below `count`; error 9 when
// it falls outside.
size_t IndexArg(const vb::Variant& value, size_t count);

}  // namespace asp
