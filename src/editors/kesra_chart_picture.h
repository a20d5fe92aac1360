#pragma once
// The chart picture: one series drawn into a picture file by the chart
// component ("owc11.chartspace"), reached by name at run time.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// 0 when the picture was exported; 1 when the component cannot be created
// (nothing else is done); 2 when the export failed. A failure while the
// chart is filled (data or codes the component refuses) is raised.
int16_t KesraGraphiWithOwc(vb::String p_Categories, vb::String p_Values, vb::String p_SeriesCaption,
                           int16_t p_GraphiType, vb::String p_ChartTitle, int16_t p_ScalingOrientation,
                           vb::String p_GraphiOutType, int16_t p_GraphiWidth, int16_t p_GraphiHeight,
                           vb::String p_GraphiFileFullName);

}  // namespace qe
