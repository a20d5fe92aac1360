#pragma once
// What the VML charts share: the page head, the two colour tables, the scale
// top, the value array and how numbers become text. Each chart keeps its
// working values in the call, so calls on any number of threads are apart.
#include <array>
#include <cstdint>

#include "platform/chart/chart_scale.h"
#include "platform/vb/variant.h"

namespace qe {

// The light and the strong colour of each item colour index 1 to 7 (index 0
// stays empty).
struct ChartColors {
  std::array<vb::String, 8> light;
  std::array<vb::String, 8> strong;
};

ChartColors KesraChartInitColors();

// The VML page head, one line; the page writes it once before any chart.
vb::String KesraTableChartHeader();

// Item i (from 1) takes colour index ((i - 1) mod 7) + 1: the eighth repeats the first.
int ChartColorIndex(int64_t item);

// The scale top (chart::ScaleTop) and the numbers in the markup
// (chart::DecimalText) follow the chart component's rules.

// The value array: the upper bound of its first dimension (N, the rows after
// row 0; error 6 past 32767), a cell (error 9 outside the array, 13 when it is no array), a
// plotted cell as a number (13 when it is not one, 94 for Null) and a cell as
// the text written into the markup (Null writes nothing).
int16_t ChartRowCount(const vb::Variant& table);
vb::Variant ChartCell(const vb::Variant& table, int32_t row, int32_t column);
double ChartValue(const vb::Variant& cell);
vb::String ChartText(const vb::Variant& cell);

// p_TableTop where it enters arithmetic (13 when it is not a number).
double ChartTop(vb::StringView p_TableTop);

// Appends each piece in turn, so that long markup makes no temporary texts.
template <class... Pieces>
void Append(vb::String& out, const Pieces&... pieces) {
  ((out += pieces), ...);
}

// A sum or product of 16-bit values: error 6 outside -32768..32767.
int16_t Int16(int64_t value);

// The rows of a value grid over `extent` pixels: i = 0, step, 2 * step, ...
// while i <= extent - 1, step being extent / 5 rounded. A plot of 1 or 2
// pixels rounds the step to 0: it gets the row at 0 alone.
int32_t GridStep(int16_t extent);
template <class Row>
void ForEachGridStep(int16_t extent, Row row) {
  const int32_t step = GridStep(extent);
  for (int32_t i = 0; i <= extent - 1; i += step) {
    row(i);
    if (step <= 0) break;
  }
}

}  // namespace qe
