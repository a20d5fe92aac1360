#pragma once
// The VML line chart: p_LineNumber series over common X labels, each with
// its own colour, weight, dash pattern and point markers, a value grid and a
// legend right of the plot.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// Row 0, column j holds the style of series j: "colour,weight,dash,marker,legend"
// (error 9 with fewer parts); rows 1 to N hold the X label in column 0 and the
// value of series j in column j. A table without rows draws grid, axes and legend.
vb::String KesraTableChart2(vb::Variant& p_TableArray, int16_t p_TableLeft, vb::String p_TableTop,
                            int16_t p_AllWidth, int16_t p_AllHeight, int16_t p_LineNumber);

}  // namespace qe
