#pragma once
// A chart space drawn as a picture with cairo: the first chart's fills,
// border, title, gridlines, axis labels, series and data labels, at 96 dots
// per inch (sizes and weights given in points).
#include <cstdint>
#include <string>

#include "platform/chart/chart_model.h"

namespace chart {

// The picture's bytes: `filter` "png", or "jpg" / "jpeg" (any letter case);
// error 5 for another filter or a side outside 1 to kMaxPictureSide pixels.
inline constexpr int32_t kMaxPictureSide = 8192;
std::string ExportPicture(const Space& space, vb::StringView filter, int32_t width, int32_t height);

}  // namespace chart
