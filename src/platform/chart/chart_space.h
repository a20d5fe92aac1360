#pragma once
// The chart component, created by name as "owc11.chartspace": a chart space
// whose charts are filled and styled through late-bound members and exported
// as a PNG or JPEG picture drawn with cairo.
//
//   space.Clear  .Charts(.Add, .Item(i), .Count)  .Constants  .ExportPicture(file, filter, width, height)
//   chart.seriescollection  .border  .Interior  .PlotArea.Interior  .hastitle  .Title(.Caption, .Font)
//         .Axes(i) (0 categories, 1 values: .Scaling.Orientation, .HasMajorGridlines,
//         .HasMinorGridlines, .MajorGridlines.Line, .MinorGridlines.Line, .Font)
//   series.Caption  .SetData(dimension, source, text)  .type  .DataLabelsCollection(.Add, .Item(0))
//   data labels.hasvalue  .Font;  font.Color .Size .name .Bold;  line, border.Color .Weight;  interior.Color
//
// Collections take their item as their default member, so Axes(0) and
// DataLabelsCollection(0) are items. Colours are colour values or the names
// of the sixteen basic colours ("black"). Refusals raise 5: an unknown type
// (0 columns, 1 bars, 2 line with markers, 3 pie) or orientation (0, 1), a
// dimension or source that is not one of the constants, a size or weight
// below 0; SetData raises 13 for a value that is not a number.
#include <cstdint>

namespace chart {

inline constexpr int32_t chDimCategories = 1;
inline constexpr int32_t chDimValues = 2;
inline constexpr int32_t chDataLiteral = -1;

void RegisterClasses();

}  // namespace chart
