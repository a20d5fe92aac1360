#pragma once
// `qe call --json`: an argument for a parameter declared As Variant, read as
// JSON. Numbers take the type of a VB literal of that value (Integer, Long,
// else Double); strings, true/false and null are Strings, Booleans and Null;
// an array of arrays is a two-dimensional array (first index the row, lower
// bounds 0, short rows padded with Empty) and any other array one dimension
// from 0. Error 5, naming what is wrong, for text that is not JSON, for
// objects, arrays nested deeper and arrays that mix rows with values.
#include <string_view>

#include "platform/vb/variant.h"

namespace host {

vb::Variant JsonArgument(std::string_view text);

}  // namespace host
