#include "platform/chart/chart_draw.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/chart/chart_scale.h"
#include "platform/image/bitmap.h"
#include "platform/image/gdiplus.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace chart {
namespace {

constexpr double kPixelsPerPoint = 96.0 / 72.0;
constexpr double kPi = 3.14159265358979323846;
// The colours of the series (and of a pie's slices), in turn.
constexpr Colour kSeriesColours[] = {Rgb(51, 102, 204), Rgb(255, 153, 0), Rgb(0, 153, 102), Rgb(204, 51, 51),
                                     Rgb(153, 102, 204), Rgb(102, 204, 204), Rgb(204, 204, 51), Rgb(128, 128, 128)};

Colour SeriesColour(size_t i) { return kSeriesColours[i % std::size(kSeriesColours)]; }

void SetColour(cairo_t* cr, Colour c) {
  cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

// Faces found by fontconfig for a font's name and weight; a face that lacks a
// character of the text gives way to the Chinese face, which has them all.
class Faces {
 public:
  ~Faces() {
    for (cairo_font_face_t* face : faces_) cairo_font_face_destroy(face);
  }

  void Use(cairo_t* cr, const Font& font, const std::string& text) {
    cairo_set_font_face(cr, Find(vb::ToUtf8(font.name), font.bold, text));
    cairo_set_font_size(cr, font.size * kPixelsPerPoint);
  }

 private:
  cairo_font_face_t* Find(const std::string& family, bool bold, const std::string& text) {
    FcPattern* match = Match(family, bold);
    if (match && !Covers(match, text)) {
      FcPatternDestroy(match);
      match = Match("WenQuanYi Zen Hei", bold);
    }
    if (!match) vb::Raise(vb::kOutOfMemory);
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
    FcPatternDestroy(match);
    faces_.push_back(face);
    return face;
  }

  static FcPattern* Match(const std::string& family, bool bold) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match && bold) {
      int weight = FC_WEIGHT_REGULAR;
      FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
      if (weight < FC_WEIGHT_DEMIBOLD) {
        FcPatternDel(match, FC_EMBOLDEN);
        FcPatternAddBool(match, FC_EMBOLDEN, FcTrue);
      }
    }
    return match;
  }

  static bool Covers(FcPattern* match, const std::string& text) {
    FcCharSet* characters = nullptr;
    if (FcPatternGetCharSet(match, FC_CHARSET, 0, &characters) != FcResultMatch) return false;
    const auto* bytes = reinterpret_cast<const FcChar8*>(text.data());
    int left = static_cast<int>(text.size());
    while (left > 0) {
      FcChar32 c = 0;
      const int used = FcUtf8ToUcs4(bytes, &c, left);
      if (used <= 0) return false;
      if (c > 0x20 && !FcCharSetHasChar(characters, c)) return false;
      bytes += used;
      left -= used;
    }
    return true;
  }

  std::vector<cairo_font_face_t*> faces_;
};

struct Box {
  double left = 0, top = 0, right = 0, bottom = 0;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
};

class Painter {
 public:
  Painter(cairo_t* cr, const Chart& chart, int width, int height) : cr_(cr), chart_(chart), width_(width), height_(height) {}

  void Draw() {
    SetColour(cr_, chart_.interior);
    cairo_paint(cr_);
    double top = DrawBorderAndTitle();
    if (chart_.series.empty()) return;
    const Series& first = *chart_.series.front();
    if (first.type == kPie) {
      DrawPie(first, Box{8, top + 4, width_ - 8.0, height_ - 8.0});
    } else {
      DrawAxesChart(first.type, top);
    }
  }

 private:
  struct Measure {
    double width = 0, height = 0;
  };

  // The text's width and line height in its font, which becomes the current one.
  Measure TextSize(const Font& font, const std::string& utf8, double* ascent = nullptr) {
    faces_.Use(cr_, font, utf8);
    cairo_font_extents_t f;
    cairo_font_extents(cr_, &f);
    cairo_text_extents_t t;
    cairo_text_extents(cr_, utf8.c_str(), &t);
    if (ascent) *ascent = f.ascent;
    return {t.x_advance, f.ascent + f.descent};
  }
  Measure TextSize(const Font& font, const vb::String& text) { return TextSize(font, vb::ToUtf8(text)); }

  // Text placed by a point of its box: (ax, ay) 0 left/top, 0.5 centre, 1 right/bottom.
  void Text(const Font& font, const vb::String& text, double x, double y, double ax, double ay) {
    if (text.empty()) return;
    const std::string utf8 = vb::ToUtf8(text);
    double ascent = 0;
    const Measure size = TextSize(font, utf8, &ascent);
    SetColour(cr_, font.colour);
    cairo_move_to(cr_, x - ax * size.width, y - ay * size.height + ascent);
    cairo_show_text(cr_, utf8.c_str());
  }

  void Line(const LineFormat& line, double x1, double y1, double x2, double y2) {
    SetColour(cr_, line.colour);
    cairo_set_line_width(cr_, std::max(line.weight * kPixelsPerPoint, 0.5));
    cairo_move_to(cr_, x1, y1);
    cairo_line_to(cr_, x2, y2);
    cairo_stroke(cr_);
  }

  // The border, then the title; the top of what is left.
  double DrawBorderAndTitle() {
    const double weight = std::max(chart_.border.weight * kPixelsPerPoint, 0.5);
    SetColour(cr_, chart_.border.colour);
    cairo_set_line_width(cr_, weight);
    cairo_rectangle(cr_, weight / 2, weight / 2, width_ - weight, height_ - weight);
    cairo_stroke(cr_);
    double top = weight + 4;
    if (chart_.has_title && !chart_.title.empty()) {
      const Measure size = TextSize(chart_.title_font, chart_.title);
      Text(chart_.title_font, chart_.title, width_ / 2.0, top, 0.5, 0);
      top += size.height + 4;
    }
    return top;
  }

  struct Scale {
    double low = 0, high = 5;
    bool reversed = false;
    // Where a value falls between `from` (the low end) and `to`.
    double At(double value, double from, double to) const {
      const double share = (value - low) / (high - low);
      return reversed ? to + (from - to) * share : from + (to - from) * share;
    }
  };

  Scale ValueScale() const {
    double lowest = 0, highest = 0;
    for (const auto& s : chart_.series)
      for (double v : s->values) {
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
      }
    return {lowest, ScaleTop(highest), chart_.axes[1].orientation == 1};
  }

  size_t PointCount() const {
    size_t n = 0;
    for (const auto& s : chart_.series) n = std::max(n, s->values.size());
    return n;
  }

  vb::String Category(size_t i) const {
    const Series& first = *chart_.series.front();
    return i < first.categories.size() ? first.categories[i] : vb::String();
  }

  void DrawAxesChart(int type, double top) {
    const Axis& categories = chart_.axes[0];
    const Axis& values = chart_.axes[1];
    const Scale scale = ValueScale();
    const size_t points = PointCount();
    const bool horizontal = type == kBars;  // values run left to right
    std::vector<vb::String> ticks;
    double tick_width = 0, tick_height = 0;
    for (int k = 0; k <= 5; ++k) {
      ticks.push_back(DecimalText(scale.low + (scale.high - scale.low) * k / 5));
      const Measure m = TextSize(values.font, ticks.back());
      tick_width = std::max(tick_width, m.width);
      tick_height = std::max(tick_height, m.height);
    }
    double label_width = 0, label_height = 0;
    for (size_t i = 0; i < points; ++i) {
      const Measure m = TextSize(categories.font, Category(i));
      label_width = std::max(label_width, m.width);
      label_height = std::max(label_height, m.height);
    }
    Box plot{8, top + 8, width_ - 16.0, height_ - 8.0};
    if (horizontal) {
      plot.left += label_width + 6;
      plot.bottom -= tick_height + 6;
      plot.right -= tick_width / 2;
    } else {
      plot.left += tick_width + 6;
      plot.bottom -= label_height + 6;
    }
    if (plot.Width() < 1 || plot.Height() < 1) return;

    SetColour(cr_, chart_.plot_interior);
    cairo_rectangle(cr_, plot.left, plot.top, plot.Width(), plot.Height());
    cairo_fill(cr_);

    // Where a value lies along the value direction, and where category slot i starts.
    auto value_at = [&](double v) {
      return horizontal ? scale.At(v, plot.left, plot.right) : scale.At(v, plot.bottom, plot.top);
    };
    const double slot = (horizontal ? plot.Height() : plot.Width()) / std::max<size_t>(points, 1);
    auto slot_start = [&](size_t i) {
      const size_t place = categories.orientation == 1 ? points - 1 - i : i;
      return (horizontal ? plot.top : plot.left) + place * slot;
    };
    auto across = [&](double along_value, double along_category, double a2, double c2, const LineFormat& line) {
      if (horizontal) Line(line, along_value, along_category, a2, c2);
      else Line(line, along_category, along_value, c2, a2);
    };
    const double c_low = horizontal ? plot.top : plot.left, c_high = horizontal ? plot.bottom : plot.right;
    for (int k = 0; k <= 10; ++k) {
      const bool major = k % 2 == 0;
      if (major ? !values.major_gridlines : !values.minor_gridlines) continue;
      const double at = value_at(scale.low + (scale.high - scale.low) * k / 10);
      across(at, c_low, at, c_high, major ? values.major_line : values.minor_line);
    }
    if (categories.major_gridlines) {
      for (size_t i = 0; i <= points; ++i) {
        const double at = (horizontal ? plot.top : plot.left) + i * slot;
        across(value_at(scale.low), at, value_at(scale.high), at, categories.major_line);
      }
    }

    const double base = value_at(std::clamp(0.0, scale.low, scale.high));
    const size_t count = chart_.series.size();
    for (size_t s = 0; s < count; ++s) {
      const Series& series = *chart_.series[s];
      SetColour(cr_, SeriesColour(s));
      if (type == kLineMarkers) {
        cairo_set_line_width(cr_, 2.25 * kPixelsPerPoint);
        for (size_t i = 0; i < series.values.size(); ++i) {
          const double c = slot_start(i) + slot / 2, v = value_at(series.values[i]);
          horizontal ? cairo_line_to(cr_, v, c) : cairo_line_to(cr_, c, v);
        }
        cairo_stroke(cr_);
        for (size_t i = 0; i < series.values.size(); ++i) {
          const double c = slot_start(i) + slot / 2, v = value_at(series.values[i]);
          cairo_rectangle(cr_, (horizontal ? v : c) - 3.5, (horizontal ? c : v) - 3.5, 7, 7);
        }
        cairo_fill(cr_);
      } else {
        const double thickness = slot * 0.6 / count;
        for (size_t i = 0; i < series.values.size(); ++i) {
          const double c = slot_start(i) + slot * 0.2 + s * thickness, v = value_at(series.values[i]);
          if (horizontal) cairo_rectangle(cr_, std::min(v, base), c, std::fabs(v - base), thickness);
          else cairo_rectangle(cr_, c, std::min(v, base), thickness, std::fabs(v - base));
        }
        cairo_fill(cr_);
      }
    }

    const LineFormat axis_line{Rgb(0, 0, 0), 0.75};
    across(base, c_low, base, c_high, axis_line);
    across(value_at(scale.low), c_low, value_at(scale.high), c_low, axis_line);
    for (int k = 0; k <= 5; ++k) {
      const double at = value_at(scale.low + (scale.high - scale.low) * k / 5);
      if (horizontal) Text(values.font, ticks[k], at, plot.bottom + 4, 0.5, 0);
      else Text(values.font, ticks[k], plot.left - 4, at, 1, 0.5);
    }
    for (size_t i = 0; i < points; ++i) {
      const double c = slot_start(i) + slot / 2;
      if (horizontal) Text(categories.font, Category(i), plot.left - 4, c, 1, 0.5);
      else Text(categories.font, Category(i), c, plot.bottom + 4, 0.5, 0);
    }
    for (size_t s = 0; s < count; ++s) {
      const Series& series = *chart_.series[s];
      if (!series.data_labels || !series.has_value) continue;
      const double thickness = slot * 0.6 / count;
      for (size_t i = 0; i < series.values.size(); ++i) {
        const double value = series.values[i];
        const double c = type == kLineMarkers ? slot_start(i) + slot / 2
                                               : slot_start(i) + slot * 0.2 + (s + 0.5) * thickness;
        const double v = value_at(value);
        // Beyond the end of the bar, away from the axis; inside it where that would leave the plot.
        const vb::String text = vb::DoubleToString(value);
        const Measure size = TextSize(series.label_font, text);
        bool ahead = (value >= 0) != scale.reversed;
        const double room = horizontal ? (ahead ? plot.right - v : v - plot.left) : (ahead ? v - plot.top : plot.bottom - v);
        if (type != kLineMarkers && room < (horizontal ? size.width : size.height) + 3) ahead = !ahead;
        if (horizontal) Text(series.label_font, text, v + (ahead ? 3 : -3), c, ahead ? 0 : 1, 0.5);
        else Text(series.label_font, text, c, v + (ahead ? -3 : 3), 0.5, ahead ? 1 : 0);
      }
    }
  }

  void DrawPie(const Series& series, Box box) {
    double total = 0;
    for (double v : series.values) total += std::max(v, 0.0);
    const double radius = std::min(box.Width(), box.Height()) / 2 - 4;
    if (radius < 1) return;
    const double cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    SetColour(cr_, chart_.plot_interior);
    cairo_arc(cr_, cx, cy, radius, 0, 2 * kPi);
    cairo_fill(cr_);
    if (total <= 0) return;
    double angle = -kPi / 2;
    std::vector<double> middles;
    for (size_t i = 0; i < series.values.size(); ++i) {
      const double sweep = std::max(series.values[i], 0.0) / total * 2 * kPi;
      SetColour(cr_, SeriesColour(i));
      cairo_move_to(cr_, cx, cy);
      cairo_arc(cr_, cx, cy, radius, angle, angle + sweep);
      cairo_close_path(cr_);
      cairo_fill_preserve(cr_);
      SetColour(cr_, Rgb(255, 255, 255));
      cairo_set_line_width(cr_, 1);
      cairo_stroke(cr_);
      middles.push_back(angle + sweep / 2);
      angle += sweep;
    }
    if (!series.data_labels || !series.has_value) return;
    for (size_t i = 0; i < series.values.size(); ++i)
      Text(series.label_font, vb::DoubleToString(series.values[i]), cx + radius * 0.65 * std::cos(middles[i]),
           cy + radius * 0.65 * std::sin(middles[i]), 0.5, 0.5);
  }

  cairo_t* cr_;
  const Chart& chart_;
  int width_, height_;
  Faces faces_;
};

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};

}  // namespace

std::string ExportPicture(const Space& space, vb::StringView filter, int32_t width, int32_t height) {
  const vb::String kind = vb::AsciiLowerCopy(filter);
  const bool png = kind == u"png";
  if (!png && kind != u"jpg" && kind != u"jpeg") vb::Raise(vb::kInvalidProcedureCall, u"Unknown picture filter");
  if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide)
    vb::Raise(vb::kInvalidProcedureCall, u"Picture size out of range");

  std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) vb::Raise(vb::kOutOfMemory);
  {
    std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(surface.get()));
    if (space.charts.empty()) {
      cairo_set_source_rgb(cr.get(), 1, 1, 1);
      cairo_paint(cr.get());
    } else {
      Painter(cr.get(), *space.charts.front(), width, height).Draw();
    }
  }
  cairo_surface_flush(surface.get());

  std::string bytes;
  if (png) {
    if (cairo_surface_write_to_png_stream(surface.get(), AppendBytes, &bytes) != CAIRO_STATUS_SUCCESS)
      vb::Raise(vb::kOutOfMemory);
    return bytes;
  }
  image::Bitmap bitmap(width, height);
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; ++x)
      bitmap.Set(x, y, {static_cast<uint8_t>(row[x] >> 16), static_cast<uint8_t>(row[x] >> 8),
                        static_cast<uint8_t>(row[x])});
  }
  if (gdiplus::EncodeJpeg(bitmap, 90, bytes) != gdiplus::Ok) vb::Raise(vb::kOutOfMemory);
  return bytes;
}

}  // namespace chart
