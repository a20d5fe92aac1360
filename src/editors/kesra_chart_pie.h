#pragma once
// The VML pie chart: one gradient wedge per row of the value array (column 1
// the value, column 2 the label), with a legend of shares ("A") or labels on
// leader lines ("B").
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// The total is rounded to a whole number after each addition; a total of 0
// gives every row the share 0. Any other p_TableType draws the wedges only.
vb::String KesraTableChart3(vb::Variant& p_TableArray, int16_t p_TableLeft, vb::String p_TableTop,
                            int16_t p_AllWidth, int16_t p_AllHeight, vb::String p_TableType);

}  // namespace qe
