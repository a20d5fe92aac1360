#pragma once
// The VML bar chart: one extruded gradient bar per row of the value array
// (column 1 the value, column 2 the label), as columns ("A") or horizontal
// bars ("B"), over a value grid drawn as the back wall and floor of a box.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// Any other p_TableType draws the background and the two axes only. Values
// below 0 draw a bar of size 0 on the axis with their value beside it; a
// table without rows draws the frame and the grid.
vb::String KesraTableChart1(vb::Variant& p_TableArray, int16_t p_TableLeft, vb::String p_TableTop,
                            int16_t p_Thickness, int16_t p_TableWidth, int16_t p_AllWidth, int16_t p_AllHeight,
                            vb::String p_TableType);

}  // namespace qe
