#pragma once
// What a chart space holds: its charts, each with a border, fills, a title,
// two axes and its series. The late-bound objects (chart_space.h) set it and
// the drawing (chart_draw.h) reads it.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/vb/string.h"

namespace chart {

// A colour as the platform's colour values are: red + 256 green + 65536 blue.
using Colour = uint32_t;
inline constexpr Colour Rgb(uint32_t red, uint32_t green, uint32_t blue) { return red + 256 * green + 65536 * blue; }

// The chart types: columns, horizontal bars, a line with markers, a pie.
enum ChartType : int { kColumns = 0, kBars = 1, kLineMarkers = 2, kPie = 3 };

struct Font {
  double size = 10;  // points
  vb::String name = u"Arial";
  bool bold = false;
  Colour colour = 0;
};

struct LineFormat {
  Colour colour = Rgb(128, 128, 128);
  double weight = 0.75;  // points
};

struct Axis {
  bool major_gridlines = false;
  bool minor_gridlines = false;
  Font font;
  LineFormat major_line{Rgb(192, 192, 192), 0.75};
  LineFormat minor_line{Rgb(224, 224, 224), 0.5};
  int orientation = 0;  // 0 from the axis out, 1 reversed
};

struct Series {
  vb::String caption;
  std::vector<vb::String> categories;
  std::vector<double> values;
  int type = kColumns;
  bool data_labels = false;  // the data-label collection holds its one item
  bool has_value = false;
  Font label_font{9};
};

struct Chart {
  LineFormat border;
  Colour interior = Rgb(255, 255, 255);
  Colour plot_interior = Rgb(255, 255, 255);
  bool has_title = false;
  vb::String title;
  Font title_font{12, u"Arial", true};
  std::array<Axis, 2> axes;  // 0 categories, 1 values
  std::vector<std::shared_ptr<Series>> series;
};

struct Space {
  std::vector<std::shared_ptr<Chart>> charts;
};

}  // namespace chart
