#pragma once
// The interactive line chart: series drawn as lines inside one VML group of
// 27500 x 12800 units, with a legend whose entries show, hide and pin their
// series (client functions moveon, moveout and clickit, array showit).
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// Row 0, column 1: the X labels joined by ","; row i: in column 1 the values
// of series i joined by "," (the first as many as there are labels are
// drawn; fewer raise 9), in column 2 its name. p_TableTop is copied as given.
vb::String KesraTableChart4(vb::Variant& p_TableArray, int16_t p_TableLeft, vb::String p_TableTop,
                            int16_t p_AllWidth, int16_t p_AllHeight, vb::String p_TableTitle,
                            vb::String p_UnitXTitle, vb::String p_UnitYTitle);

}  // namespace qe
