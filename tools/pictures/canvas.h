#pragma once
// A small drawing surface for the site's interface pictures: filled outlines
// with smooth edges, strokes, gradients and text. Every step is plain IEEE
// arithmetic (no library trigonometry, whose last bit varies between
// processors), so the same list draws the same bytes on every machine.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pictures {

// Straight (not premultiplied) red, green, blue and opacity, each 0..1.
struct Colour {
  double r = 0, g = 0, b = 0, a = 1;
};

// 0xRRGGBB with an opacity.
Colour Hex(uint32_t rgb, double alpha = 1);
// From `a` (t = 0) to `b` (t = 1).
Colour Mix(const Colour& a, const Colour& b, double t);

struct Point {
  double x = 0, y = 0;
};

// Sine and cosine of an angle in degrees, from a series: the same bits on
// every machine.
Point UnitVector(double degrees);

// Closed outlines in pixel coordinates (y grows downwards; a pixel's centre
// is at +0.5); several outlines fill by the even-odd rule, so an outline
// inside another cuts a hole.
class Path {
 public:
  Path& MoveTo(double x, double y);
  Path& LineTo(double x, double y);
  Path& Rect(double x, double y, double w, double h);
  Path& RoundRect(double x, double y, double w, double h, double radius);
  Path& Ellipse(double cx, double cy, double rx, double ry);
  // Points along a circular arc from one angle to another (degrees, 0 along
  // +x, 90 downwards), continuing the current outline.
  Path& Arc(double cx, double cy, double radius, double from, double to);
  Path& Polygon(std::initializer_list<Point> points);
  // A line `width` wide from a to b, with square ends.
  Path& Segment(Point a, Point b, double width);

  const std::vector<std::vector<Point>>& Outlines() const { return outlines_; }

 private:
  std::vector<std::vector<Point>> outlines_;
};

// How much of each pixel a shape covers, 0..1.
class Mask {
 public:
  Mask(int width, int height);
  static Mask Of(const Path& path, int width, int height);
  // The union with another mask of the same size.
  void Add(const Mask& other);
  // Leaves only what `other` covers too.
  void Intersect(const Mask& other);
  // What this covers and `other` does not.
  void Subtract(const Mask& other);
  float At(int x, int y) const { return cover_[static_cast<size_t>(y) * width_ + x]; }
  float& At(int x, int y) { return cover_[static_cast<size_t>(y) * width_ + x]; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  int width_, height_;
  std::vector<float> cover_;
};

// The colour a paint gives at a pixel's centre.
using Paint = std::function<Colour(double x, double y)>;
Paint Solid(Colour colour);
// From `top` at y0 to `bottom` at y1 (clamped outside).
Paint Vertical(Colour top, Colour bottom, double y0, double y1);
// From `left` at x0 to `right` at x1.
Paint Horizontal(Colour left, Colour right, double x0, double x1);

class Canvas {
 public:
  Canvas(int width, int height);  // transparent

  int Width() const { return width_; }
  int Height() const { return height_; }

  void Fill(const Mask& mask, const Paint& paint);
  void Fill(const Path& path, const Paint& paint) { Fill(Mask::Of(path, width_, height_), paint); }
  void Fill(const Path& path, const Colour& colour) { Fill(path, Solid(colour)); }
  void FillAll(const Paint& paint);
  // The outline of `path` (its first outline, closed) as a line `width` wide
  // with round joins.
  void Stroke(const Path& path, double width, const Colour& colour);
  // An open line through the points, with round joins and ends.
  void Polyline(std::initializer_list<Point> points, double width, const Colour& colour);
  // One pixel set as given (for hairlines that must stay sharp).
  void Blend(int x, int y, const Colour& colour, double cover = 1);

  // 8-bit straight RGBA rows, top first.
  std::vector<uint8_t> Rgba() const;
  bool Opaque() const;

 private:
  int width_, height_;
  std::vector<Colour> pixels_;  // premultiplied
};

}  // namespace pictures
