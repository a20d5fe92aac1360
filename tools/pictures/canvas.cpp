#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace pictures {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Sub-scanlines per pixel row; across a row the coverage is exact.
constexpr int kRows = 16;

double Clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

// The series of sine and cosine on [-pi, pi]: basic operations only.
Point SeriesSinCos(double radians) {
  double sine = 0, cosine = 0, term = 1;
  for (int n = 0; n < 40; ++n) {
    // term = radians^n / n!
    if (n % 4 == 0) cosine += term;
    else if (n % 4 == 1) sine += term;
    else if (n % 4 == 2) cosine -= term;
    else sine -= term;
    term = term * radians / (n + 1);
  }
  return {cosine, sine};
}

uint8_t Byte(double v) { return static_cast<uint8_t>(std::floor(Clamp01(v) * 255 + 0.5)); }

// Adds the part of [a, b) that falls in each pixel of one row, weighted.
void AddSpan(std::vector<float>& row, double a, double b, double weight) {
  const int width = static_cast<int>(row.size());
  a = std::max(a, 0.0);
  b = std::min(b, static_cast<double>(width));
  if (b <= a) return;
  int first = static_cast<int>(std::floor(a)), last = static_cast<int>(std::floor(b));
  if (first == last) {
    row[first] += static_cast<float>((b - a) * weight);
    return;
  }
  row[first] += static_cast<float>((first + 1 - a) * weight);
  for (int x = first + 1; x < last && x < width; ++x) row[x] += static_cast<float>(weight);
  if (last < width) row[last] += static_cast<float>((b - last) * weight);
}

}  // namespace

Colour Hex(uint32_t rgb, double alpha) {
  return {((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0, alpha};
}

Colour Mix(const Colour& a, const Colour& b, double t) {
  t = Clamp01(t);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Point UnitVector(double degrees) {
  double turns = std::floor((degrees + 180) / 360);
  return SeriesSinCos((degrees - turns * 360) * kPi / 180);
}

// ---- paths ----

Path& Path::MoveTo(double x, double y) {
  outlines_.push_back({{x, y}});
  return *this;
}

Path& Path::LineTo(double x, double y) {
  if (outlines_.empty()) outlines_.emplace_back();
  outlines_.back().push_back({x, y});
  return *this;
}

Path& Path::Rect(double x, double y, double w, double h) {
  return MoveTo(x, y).LineTo(x + w, y).LineTo(x + w, y + h).LineTo(x, y + h);
}

Path& Path::Arc(double cx, double cy, double radius, double from, double to) {
  // About one point per pixel of arc, at least four per quarter turn.
  int steps = std::max(4, static_cast<int>(std::ceil(std::fabs(to - from) / 90 * std::max(4.0, radius * 2))));
  for (int i = 0; i <= steps; ++i) {
    Point u = UnitVector(from + (to - from) * i / steps);
    LineTo(cx + u.x * radius, cy + u.y * radius);
  }
  return *this;
}

Path& Path::RoundRect(double x, double y, double w, double h, double radius) {
  radius = std::min({radius, w / 2, h / 2});
  if (radius <= 0) return Rect(x, y, w, h);
  outlines_.emplace_back();
  Arc(x + w - radius, y + radius, radius, -90, 0);
  Arc(x + w - radius, y + h - radius, radius, 0, 90);
  Arc(x + radius, y + h - radius, radius, 90, 180);
  return Arc(x + radius, y + radius, radius, 180, 270);
}

Path& Path::Ellipse(double cx, double cy, double rx, double ry) {
  outlines_.emplace_back();
  int steps = std::max(16, static_cast<int>(std::ceil(std::max(rx, ry) * 8)));
  for (int i = 0; i < steps; ++i) {
    Point u = UnitVector(360.0 * i / steps);
    LineTo(cx + u.x * rx, cy + u.y * ry);
  }
  return *this;
}

Path& Path::Polygon(std::initializer_list<Point> points) {
  outlines_.emplace_back(points);
  return *this;
}

Path& Path::Segment(Point a, Point b, double width) {
  double dx = b.x - a.x, dy = b.y - a.y, length = std::sqrt(dx * dx + dy * dy);
  if (length == 0) return *this;
  double nx = -dy / length * width / 2, ny = dx / length * width / 2;
  return Polygon({{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}});
}

// ---- masks ----

Mask::Mask(int width, int height)
    : width_(width), height_(height), cover_(static_cast<size_t>(width) * height, 0.0f) {}

Mask Mask::Of(const Path& path, int width, int height) {
  Mask mask(width, height);
  std::vector<float> row(width);
  std::vector<double> crossings;
  for (int y = 0; y < height; ++y) {
    std::fill(row.begin(), row.end(), 0.0f);
    for (int sub = 0; sub < kRows; ++sub) {
      double line = y + (sub + 0.5) / kRows;
      crossings.clear();
      for (const auto& outline : path.Outlines()) {
        for (size_t i = 0; i < outline.size(); ++i) {
          const Point& p = outline[i];
          const Point& q = outline[(i + 1) % outline.size()];
          if ((p.y <= line) == (q.y <= line)) continue;
          crossings.push_back(p.x + (line - p.y) * (q.x - p.x) / (q.y - p.y));
        }
      }
      std::sort(crossings.begin(), crossings.end());
      for (size_t i = 0; i + 1 < crossings.size(); i += 2) AddSpan(row, crossings[i], crossings[i + 1], 1.0 / kRows);
    }
    for (int x = 0; x < width; ++x) mask.At(x, y) = std::min(row[x], 1.0f);
  }
  return mask;
}

void Mask::Add(const Mask& other) {
  for (size_t i = 0; i < cover_.size(); ++i) cover_[i] = std::max(cover_[i], other.cover_[i]);
}

void Mask::Intersect(const Mask& other) {
  for (size_t i = 0; i < cover_.size(); ++i) cover_[i] = std::min(cover_[i], other.cover_[i]);
}

void Mask::Subtract(const Mask& other) {
  for (size_t i = 0; i < cover_.size(); ++i) cover_[i] = std::max(0.0f, cover_[i] - other.cover_[i]);
}

// ---- paints ----

Paint Solid(Colour colour) {
  return [colour](double, double) { return colour; };
}

Paint Vertical(Colour top, Colour bottom, double y0, double y1) {
  return [=](double, double y) { return Mix(top, bottom, y1 == y0 ? 0 : (y - y0) / (y1 - y0)); };
}

Paint Horizontal(Colour left, Colour right, double x0, double x1) {
  return [=](double x, double) { return Mix(left, right, x1 == x0 ? 0 : (x - x0) / (x1 - x0)); };
}

// ---- the canvas ----

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, Colour{0, 0, 0, 0}) {}

void Canvas::Blend(int x, int y, const Colour& colour, double cover) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  double a = colour.a * Clamp01(cover);
  if (a <= 0) return;
  Colour& p = pixels_[static_cast<size_t>(y) * width_ + x];
  p.r = colour.r * a + p.r * (1 - a);
  p.g = colour.g * a + p.g * (1 - a);
  p.b = colour.b * a + p.b * (1 - a);
  p.a = a + p.a * (1 - a);
}

void Canvas::Fill(const Mask& mask, const Paint& paint) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (float cover = mask.At(x, y); cover > 0) Blend(x, y, paint(x + 0.5, y + 0.5), cover);
}

void Canvas::FillAll(const Paint& paint) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) Blend(x, y, paint(x + 0.5, y + 0.5));
}

void Canvas::Stroke(const Path& path, double width, const Colour& colour) {
  if (path.Outlines().empty()) return;
  const auto& points = path.Outlines().front();
  Mask mask(width_, height_);
  for (size_t i = 0; i < points.size(); ++i) {
    // Two outlines that overlap would cancel by the even-odd rule: each is a mask of its own.
    Mask segment = Mask::Of(Path().Segment(points[i], points[(i + 1) % points.size()], width), width_, height_);
    segment.Add(Mask::Of(Path().Ellipse(points[i].x, points[i].y, width / 2, width / 2), width_, height_));
    mask.Add(segment);
  }
  Fill(mask, Solid(colour));
}

void Canvas::Polyline(std::initializer_list<Point> points, double width, const Colour& colour) {
  Mask mask(width_, height_);
  const Point* previous = nullptr;
  for (const Point& p : points) {
    mask.Add(Mask::Of(Path().Ellipse(p.x, p.y, width / 2, width / 2), width_, height_));
    if (previous) mask.Add(Mask::Of(Path().Segment(*previous, p, width), width_, height_));
    previous = &p;
  }
  Fill(mask, Solid(colour));
}

std::vector<uint8_t> Canvas::Rgba() const {
  std::vector<uint8_t> bytes;
  bytes.reserve(pixels_.size() * 4);
  for (const Colour& p : pixels_) {
    uint8_t alpha = Byte(p.a);
    if (alpha == 0) {
      bytes.insert(bytes.end(), {0, 0, 0, 0});
      continue;
    }
    bytes.insert(bytes.end(), {Byte(p.r / p.a), Byte(p.g / p.a), Byte(p.b / p.a), alpha});
  }
  return bytes;
}

bool Canvas::Opaque() const {
  return std::all_of(pixels_.begin(), pixels_.end(), [](const Colour& p) { return Byte(p.a) == 255; });
}

}  // namespace pictures
