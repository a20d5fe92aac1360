#include "drawings.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <string_view>

namespace pictures {
namespace {

// ---- colours of the site ----

constexpr uint32_t kInk = 0x1d3557;       // text on light faces
constexpr uint32_t kLine = 0x5b7fb5;      // borders of light faces
constexpr uint32_t kFaceTop = 0xfdfeff, kFaceBottom = 0xd9e5f4;
constexpr uint32_t kHoverTop = 0xfff8e8, kHoverBottom = 0xffd58a, kHoverLine = 0xc98416;
constexpr uint32_t kRed = 0xd9534f, kDarkRed = 0xa94442;
constexpr uint32_t kBlueTop = 0x7396dc, kBlueBottom = 0x3a5fae;
constexpr uint32_t kGreen = 0x217346;
constexpr uint32_t kPaper = 0xffffff, kPaperLine = 0x8a96a8;

// Far enough off the picture that a box drawn there has no corner inside it.
constexpr double kFar = 64;

int Round(double v) { return static_cast<int>(std::floor(v + 0.5)); }

// A paint that gives one colour where `y` < `split` and another below.
Paint Split(const Paint& above, const Colour& below, double split) {
  return [=](double x, double y) { return y < split ? above(x, y) : below; };
}

// The part of `outer` that `inner` leaves.
Mask Ring(const Path& outer, const Path& inner, int width, int height) {
  Mask ring = Mask::Of(outer, width, height);
  ring.Subtract(Mask::Of(inner, width, height));
  return ring;
}

// Icons are drawn on a 16-unit grid, scaled to the picture and centred in it.
struct Grid {
  double scale, left, top;
  explicit Grid(const Canvas& c, double units = 16)
      : scale(std::min(c.Width(), c.Height()) / units),
        left((c.Width() - units * scale) / 2),
        top((c.Height() - units * scale) / 2) {}
  Point P(double x, double y) const { return {left + x * scale, top + y * scale}; }
  double L(double v) const { return v * scale; }
  Path Rect(double x, double y, double w, double h, double radius = 0) const {
    Point p = P(x, y);
    return Path().RoundRect(p.x, p.y, L(w), L(h), L(radius));
  }
  Path Circle(double x, double y, double r) const {
    Point p = P(x, y);
    return Path().Ellipse(p.x, p.y, L(r), L(r));
  }
};

// A rounded box with a border line: the border, then what lies inside.
void BorderedBox(Canvas& c, const Path& outer, const Path& inner, const Colour& border, const Paint& inside) {
  c.Fill(Ring(outer, inner, c.Width(), c.Height()), Solid(border));
  c.Fill(inner, inside);
}

// ---- frames: boxes cut into pieces ----
//
// Every piece draws the same rounded box, placed so that only its part shows:
// a top-left piece holds the box's top-left corner and runs off the picture
// to the right and below, a top piece runs off both sides, and so on. The
// pieces of one style therefore join without a seam whatever their sizes.

struct FrameStyle {
  std::string_view name;
  double radius;
  uint32_t border;
  uint32_t bar_top, bar_bottom, separator;  // the title bar, in top pieces
  uint32_t body;
  int band;  // > 0: a band of `band_colour` inside the border, and a second line
  uint32_t band_colour;
  int base;  // > 0: bottom pieces end this far down, and are empty below
  bool bar;  // top pieces carry a title bar
  uint32_t mark;  // the round mark of a top-left piece that has text
};

constexpr FrameStyle kFrames[] = {
    // The error page: a light title bar with black text, a white box.
    {"error", 4, 0x5b7fb5, 0xf2f6fc, 0xc3d5ee, 0x8fa9d0, 0xfbfcfe, 0, 0, 0, true, kRed},
    // The office pages' main window: a deep blue bar, a blue band all round.
    {"window", 6, 0x2f4d8a, 0x9ab7ec, 0x4a6dc0, 0x2f4d8a, 0xf3f6fb, 4, 0x5e82cf, 0, true, 0xffffff},
    // Small windows and dialogs.
    {"dialog", 4, 0x4a6fa5, 0xe8f0fb, 0xa9c3e8, 0x8fa9d0, 0xf7f9fc, 0, 0, 0, true, 0x3a5fae},
    // The tooltip: a pale yellow card that ends 5 pixels down its bottom row.
    {"tip", 3, 0xc2a24a, 0xfcfee4, 0xfcfee4, 0xfcfee4, 0xfcfee4, 0, 0, 5, false, 0},
};

const FrameStyle& FrameOf(const Entry& e) {
  for (const FrameStyle& s : kFrames)
    if (s.name == e.style) return s;
  throw std::runtime_error("no frame style \"" + e.style + "\" (error, window, dialog, tip)");
}

struct Box {
  double x0, y0, x1, y1;
};

void FrameBox(Canvas& c, const FrameStyle& s, Box b, bool top) {
  const int w = c.Width(), h = c.Height();
  auto rounded = [&](double inset) {
    return Path().RoundRect(b.x0 + inset, b.y0 + inset, b.x1 - b.x0 - 2 * inset, b.y1 - b.y0 - 2 * inset,
                            std::max(0.0, s.radius - inset));
  };
  Path outer = rounded(0), inner = rounded(1);
  c.Fill(Ring(outer, inner, w, h), Solid(Hex(s.border)));
  if (top && s.bar) {
    Paint bar = Vertical(Hex(s.bar_top), Hex(s.bar_bottom), 1, h - 1);
    c.Fill(inner, Split(bar, Hex(s.separator), h - 1));
    return;
  }
  if (s.band == 0) {
    c.Fill(inner, Hex(s.body));
    return;
  }
  Path core = rounded(1 + s.band), body = rounded(2 + s.band);
  c.Fill(Ring(inner, core, w, h), Solid(Hex(s.band_colour)));
  c.Fill(Ring(core, body, w, h), Solid(Hex(s.border)));
  c.Fill(body, Hex(s.body));
}

// A round mark with a character in it, for the top-left piece of a frame.
void FrameMark(Canvas& c, Font& font, const FrameStyle& s, const std::string& text) {
  double r = std::min(c.Width(), c.Height()) / 2.0 - 4.5;
  double cx = c.Width() / 2.0 + 1, cy = c.Height() / 2.0;
  bool light = s.mark == 0xffffff;
  c.Fill(Path().Ellipse(cx, cy, r, r), Hex(s.mark));
  font.DrawCentred(c, cx - r, cy - r, 2 * r, 2 * r, text, 12, Hex(light ? 0x2f4d8a : 0xffffff));
}

void DrawFrame(Canvas& c, Font& font, const Entry& e) {
  const FrameStyle& s = FrameOf(e);
  const double w = c.Width(), h = c.Height(), base = s.base > 0 ? s.base : h;
  static const std::map<std::string_view, Box (*)(double, double, double)> kPieces = {
      {"frame-top-left", [](double w, double h, double) { return Box{0, 0, w + kFar, h + kFar}; }},
      {"frame-top", [](double w, double h, double) { return Box{-kFar, 0, w + kFar, h + kFar}; }},
      {"frame-top-right", [](double w, double h, double) { return Box{-kFar, 0, w, h + kFar}; }},
      {"frame-left", [](double w, double h, double) { return Box{0, -kFar, w + kFar, h + kFar}; }},
      {"frame-body", [](double w, double h, double) { return Box{-kFar, -kFar, w + kFar, h + kFar}; }},
      {"frame-right", [](double w, double h, double) { return Box{-kFar, -kFar, w, h + kFar}; }},
      {"frame-sides", [](double w, double h, double) { return Box{0, -kFar, w, h + kFar}; }},
      {"frame-bottom-left", [](double w, double, double base) { return Box{0, -kFar, w + kFar, base}; }},
      {"frame-bottom", [](double w, double, double base) { return Box{-kFar, -kFar, w + kFar, base}; }},
      {"frame-bottom-right", [](double w, double, double base) { return Box{-kFar, -kFar, w, base}; }},
      {"frame-foot", [](double w, double, double base) { return Box{0, -kFar, w, base}; }},
  };
  Box box = kPieces.at(e.drawing)(w, h, base);
  FrameBox(c, s, box, box.y0 == 0);
  if (e.drawing == "frame-top-left" && !e.text.empty()) FrameMark(c, font, s, e.text);
}

// The top-right piece of a small window with its close button: the button
// fills the rectangle 5 to 26 pixels in from the right, 4 to 23 down (where
// the window's image map makes it a link).
void DrawFrameClose(Canvas& c, Font&, const Entry& e) {
  const FrameStyle& s = FrameOf(e);
  const double w = c.Width();
  FrameBox(c, s, Box{-kFar, 0, w, c.Height() + kFar}, true);
  Path button = Path().RoundRect(w - 25.5, 4.5, 20, 18, 3), inside = Path().RoundRect(w - 24.5, 5.5, 18, 16, 2);
  BorderedBox(c, button, inside, Hex(kDarkRed), Vertical(Hex(0xf08a86), Hex(kRed), 5, 22));
  double cx = w - 15.5, cy = 13.5;
  c.Polyline({{cx - 4, cy - 4}, {cx + 4, cy + 4}}, 2, Hex(0xffffff));
  c.Polyline({{cx + 4, cy - 4}, {cx - 4, cy + 4}}, 2, Hex(0xffffff));
}

// The tooltip's pointer: the bottom edge of the card, and below it a point
// that reaches the picture's bottom-left corner.
void DrawFrameTail(Canvas& c, Font&, const Entry& e) {
  const FrameStyle& s = FrameOf(e);
  const double w = c.Width(), h = c.Height(), base = s.base > 0 ? s.base : h;
  FrameBox(c, s, Box{-kFar, -kFar, w + kFar, base}, false);
  Path tail = Path().Polygon({{1, base - 1}, {w * 0.7, base - 1}, {0.5, h - 0.5}});
  Path tail_inside = Path().Polygon({{2.2, base - 1.6}, {w * 0.7 - 2.4, base - 1.6}, {1.6, h - 2.4}});
  c.Fill(tail, Hex(s.border));
  c.Fill(tail_inside, Hex(s.body));
}

// The title of the main window stands on a light tab that rises from the
// bar: its slanting start, its middle (a tile) and its end.
void DrawTitleTab(Canvas& c, Font&, const Entry& e) {
  const FrameStyle& s = FrameOf(e);
  const double w = c.Width(), h = c.Height(), top = std::round(h * 0.25);
  FrameBox(c, s, Box{-kFar, 0, w + kFar, h + kFar}, true);
  const Paint face = Vertical(Hex(0xffffff), Hex(0xdfe9f8), top, h);
  const Colour border = Hex(s.border);
  if (e.drawing == "tab-middle") {
    c.Fill(Path().Rect(0, top, w, 1), border);
    c.Fill(Path().Rect(0, top + 1, w, h - top - 1), face);
    return;
  }
  // The start slants up to the right, the end down to the right.
  bool start = e.drawing == "tab-start";
  double foot = start ? 2 : w - 2, head = start ? w - 3 : 3, far = start ? w + 1 : -1;
  Path outline = Path().Polygon({{foot, h}, {head, top}, {far, top}, {far, h}});
  Path inside = Path().Polygon({{foot + (start ? 1.4 : -1.4), h}, {head + (start ? 1.2 : -1.2), top + 1},
                                {far, top + 1}, {far, h}});
  c.Fill(Ring(outline, inside, c.Width(), c.Height()), Solid(border));
  c.Fill(inside, face);
}

// ---- buttons ----

void DrawButton(Canvas& c, Font& font, const Entry& e) {
  bool hover = e.style == "hover";
  if (!hover && !e.style.empty()) throw std::runtime_error("a button's style is hover or none");
  const double w = c.Width(), h = c.Height();
  Path outer = Path().RoundRect(0, 0, w, h, 4), inner = Path().RoundRect(1, 1, w - 2, h - 2, 3);
  BorderedBox(c, outer, inner, Hex(hover ? kHoverLine : kLine),
              Vertical(Hex(hover ? kHoverTop : kFaceTop), Hex(hover ? kHoverBottom : kFaceBottom), 1, h - 1));
  // A lighter line under the top edge gives the face some relief.
  c.Fill(Path().Rect(3, 1, w - 6, 1), Hex(0xffffff, 0.8));
  font.DrawCentred(c, 0, 0, w, h, e.text, 12, Hex(kInk));
}

// A square close button (a cross), light or, with the style "hover", red.
void DrawClose(Canvas& c, Font&, const Entry& e) {
  bool hover = e.style == "hover";
  const double side = std::min(c.Width(), c.Height()) - 2;
  const double x = (c.Width() - side) / 2, y = (c.Height() - side) / 2;
  Path outer = Path().RoundRect(x, y, side, side, side / 5), inner = Path().RoundRect(x + 1, y + 1, side - 2, side - 2, side / 5 - 1);
  if (hover) BorderedBox(c, outer, inner, Hex(kDarkRed), Vertical(Hex(0xf08a86), Hex(kRed), y, y + side));
  else BorderedBox(c, outer, inner, Hex(kLine), Vertical(Hex(kFaceTop), Hex(kFaceBottom), y, y + side));
  double arm = side * 0.22, cx = x + side / 2, cy = y + side / 2, stroke = std::max(1.6, side / 7);
  Colour cross = Hex(hover ? 0xffffff : 0x2f4d8a);
  c.Polyline({{cx - arm, cy - arm}, {cx + arm, cy + arm}}, stroke, cross);
  c.Polyline({{cx + arm, cy - arm}, {cx - arm, cy + arm}}, stroke, cross);
}

// ---- plain fills ----

void DrawBar(Canvas& c, Font&, const Entry& e) {
  struct Look {
    std::string_view name;
    uint32_t top, bottom, edge;
  };
  static constexpr Look kLooks[] = {
      {"form", 0x97a3ec, 0x5463c6, 0x4653b0},   // the window frame's title row, under white text
      {"face", kFaceTop, kFaceBottom, kLine},   // the face of a small button
      {"meter", 0x8ad977, 0x3c9d2f, 0x2f7d25},  // a storage bar, stretched to its share
  };
  for (const Look& look : kLooks) {
    if (look.name != e.style) continue;
    const double h = c.Height();
    c.FillAll(Split(Vertical(Hex(look.top), Hex(look.bottom), 1, h - 1), Hex(look.edge), h - 1));
    if (look.name == "meter") c.Fill(Path().Rect(0, 0, c.Width(), 1), Hex(look.edge));
    return;
  }
  throw std::runtime_error("no bar style \"" + e.style + "\" (form, face, meter)");
}

// A line under a box that fades out to the right.
void DrawRule(Canvas& c, Font&, const Entry&) {
  const double w = c.Width(), mid = std::floor(c.Height() / 2.0);
  c.Fill(Path().Rect(0, mid - 1, w, 2), Horizontal(Hex(kLine), Hex(kLine, 0), 0, w));
  c.Fill(Path().Rect(0, mid + 1, w, 1), Horizontal(Hex(0xc3d5ee), Hex(0xc3d5ee, 0), 0, w));
}

void DrawSpacer(Canvas&, Font&, const Entry&) {}

// ---- tabs ----

// A tab of the tab strip: "current" (the open tab, and under the pointer) is
// white and open at its foot; otherwise pale, closed by the strip's line.
void DrawTab(Canvas& c, Font&, const Entry& e) {
  bool current = e.style == "current";
  const double w = c.Width(), h = c.Height();
  const Colour line = Hex(0x6394c3);
  Path outer = Path().RoundRect(0, 0, w - 1, h + 6, 4), inner = Path().RoundRect(1, 1, w - 3, h + 6, 3);
  c.Fill(Ring(outer, inner, c.Width(), c.Height()), Solid(line));
  c.Fill(inner, current ? Solid(Hex(0xffffff)) : Vertical(Hex(0xf4f7fb), Hex(0xd5e1f0), 1, h));
  if (current) c.Fill(Path().RoundRect(1, 1, w - 3, 3, 2), Hex(0xf0a030));
  else c.Fill(Path().Rect(0, h - 1, w, 1), line);
}

// The strip under the tabs: its line along the foot.
void DrawTabBase(Canvas& c, Font&, const Entry&) {
  c.Fill(Path().Rect(0, c.Height() - 1, c.Width(), 1), Hex(0x6394c3));
}

// ---- panels ----

// A card behind a page's own text: a title band at the top and a large
// warning sign in the lower part, where the text does not reach.
void DrawCard(Canvas& c, Font&, const Entry&) {
  const double w = c.Width(), h = c.Height();
  Path outer = Path().RoundRect(0, 0, w, h, 8), inner = Path().RoundRect(1, 1, w - 2, h - 2, 7);
  BorderedBox(c, outer, inner, Hex(kLine), Vertical(Hex(0xf9fbfe), Hex(0xe4ecf7), 0, h));
  Mask band = Mask::Of(inner, c.Width(), c.Height());
  band.Intersect(Mask::Of(Path().Rect(0, 0, w, 36), c.Width(), c.Height()));
  c.Fill(band, Vertical(Hex(kBlueTop), Hex(kBlueBottom), 0, 36));
  const double cx = w / 2, top = h * 0.62, side = std::min(w, h) * 0.3;
  Path sign = Path().Polygon({{cx, top}, {cx + side / 2, top + side * 0.87}, {cx - side / 2, top + side * 0.87}});
  c.Fill(sign, Hex(0xf0ad4e, 0.85));
  c.Fill(Path().RoundRect(cx - side * 0.045, top + side * 0.3, side * 0.09, side * 0.32, side * 0.04), Hex(0xffffff));
  c.Fill(Path().Ellipse(cx, top + side * 0.72, side * 0.055, side * 0.055), Hex(0xffffff));
}

// ---- icons ----

void DrawUp(Canvas& c, Font&, const Entry&) {
  Grid g(c);
  c.Fill(g.Rect(1, 1, 14, 14, 3), Vertical(Hex(kBlueTop), Hex(kBlueBottom), g.P(0, 1).y, g.P(0, 15).y));
  c.Fill(Path().Polygon({g.P(8, 3.5), g.P(12.8, 8.5), g.P(9.8, 8.5), g.P(9.8, 12.5), g.P(6.2, 12.5), g.P(6.2, 8.5),
                         g.P(3.2, 8.5)}),
         Hex(0xffffff));
}

void DrawPrinter(Canvas& c, Font&, const Entry&) {
  Grid g(c);
  BorderedBox(c, g.Rect(4, 0.5, 8, 6), g.Rect(5, 1.5, 6, 4.5), Hex(kPaperLine), Solid(Hex(kPaper)));
  BorderedBox(c, g.Rect(0.5, 5, 15, 7.5, 1.5), g.Rect(1.5, 6, 13, 5.5, 1), Hex(0x4d5a6b),
              Vertical(Hex(0xb9c3d1), Hex(0x7d8ba0), g.P(0, 6).y, g.P(0, 12).y));
  c.Fill(g.Circle(12.6, 7.8, 0.9), Hex(0x3cc13b));
  BorderedBox(c, g.Rect(3.5, 9.5, 9, 6), g.Rect(4.5, 10.5, 7, 4.5), Hex(kPaperLine), Solid(Hex(kPaper)));
  c.Fill(g.Rect(5.5, 11.5, 5, 0.8), Hex(0x9aa6b8));
  c.Fill(g.Rect(5.5, 13.2, 4, 0.8), Hex(0x9aa6b8));
}

void DrawSheet(Canvas& c, Font&, const Entry&) {
  Grid g(c);
  BorderedBox(c, g.Rect(1.5, 1.5, 13, 13, 1), g.Rect(2.5, 2.5, 11, 11), Hex(kGreen), Solid(Hex(kPaper)));
  c.Fill(g.Rect(2.5, 2.5, 11, 3), Hex(kGreen));
  for (double y : {8.5, 11.0}) c.Fill(g.Rect(2.5, y, 11, 0.8), Hex(0x7fb896));
  for (double x : {6.0, 9.8}) c.Fill(g.Rect(x, 5.5, 0.8, 8), Hex(0x7fb896));
}

void DrawQuit(Canvas& c, Font&, const Entry&) {
  Grid g(c);
  Point centre = g.P(8, 8.8);
  Path ring = Path().Ellipse(centre.x, centre.y, g.L(6.2), g.L(6.2)).Ellipse(centre.x, centre.y, g.L(4.2), g.L(4.2));
  Mask mask = Mask::Of(ring, c.Width(), c.Height());
  mask.Subtract(Mask::Of(Path().Polygon({g.P(8, 8.8), g.P(4.5, 0), g.P(11.5, 0)}), c.Width(), c.Height()));
  c.Fill(mask, Solid(Hex(kRed)));
  c.Fill(g.Rect(7, 1, 2, 7.5, 1), Hex(kRed));
}

void DrawEdit(Canvas& c, Font&, const Entry&) {
  Grid g(c);
  BorderedBox(c, g.Rect(1.5, 2.5, 9.5, 12), g.Rect(2.5, 3.5, 7.5, 10), Hex(kPaperLine), Solid(Hex(kPaper)));
  for (double y : {5.5, 7.5, 9.5}) c.Fill(g.Rect(3.5, y, 5, 0.8), Hex(0xb4bfcc));
  // The pencil, lying from the upper right towards the lower left.
  c.Fill(Path().Polygon({g.P(12.2, 1.4), g.P(14.6, 3.8), g.P(7.6, 10.8), g.P(5.2, 8.4)}), Hex(0xf0b429));
  c.Fill(Path().Polygon({g.P(12.2, 1.4), g.P(14.6, 3.8), g.P(13.6, 4.8), g.P(11.2, 2.4)}), Hex(kRed));
  c.Fill(Path().Polygon({g.P(5.2, 8.4), g.P(7.6, 10.8), g.P(4.4, 11.8)}), Hex(0x6b5a3e));
}

void DrawDelete(Canvas& c, Font&, const Entry&) {
  Grid g(c);
  c.Fill(g.Circle(8, 8, 7.2), Vertical(Hex(0xf08a86), Hex(kRed), g.P(0, 1).y, g.P(0, 15).y));
  c.Polyline({g.P(5, 5), g.P(11, 11)}, g.L(2), Hex(0xffffff));
  c.Polyline({g.P(11, 5), g.P(5, 11)}, g.L(2), Hex(0xffffff));
}

void DrawInfo(Canvas& c, Font&, const Entry&) {
  Grid g(c);
  c.Fill(g.Circle(8, 8, 7.2), Vertical(Hex(kBlueTop), Hex(kBlueBottom), g.P(0, 1).y, g.P(0, 15).y));
  c.Fill(g.Circle(8, 4.6, 1.2), Hex(0xffffff));
  c.Fill(g.Rect(6.9, 6.8, 2.2, 6, 0.6), Hex(0xffffff));
}

// A rounded square with the system's initials.
void DrawEmblem(Canvas& c, Font& font, const Entry& e) {
  if (e.text.empty()) throw std::runtime_error("an emblem needs its text");
  Grid g(c);
  c.Fill(g.Rect(0.5, 0.5, 15, 15, 3.5), Vertical(Hex(kBlueTop), Hex(kBlueBottom), g.P(0, 0).y, g.P(0, 16).y));
  c.Fill(g.Rect(1.5, 1.5, 13, 6, 2.5), Vertical(Hex(0xffffff, 0.22), Hex(0xffffff, 0.04), g.P(0, 1.5).y, g.P(0, 7.5).y));
  size_t characters = 0;
  for (unsigned char ch : e.text) characters += (ch & 0xc0) != 0x80;
  int pixels = std::max(12, Round(g.L(16) * 0.8 / (characters + 0.6)));
  Point p = g.P(0, 0);
  font.DrawCentred(c, p.x, p.y, g.L(16), g.L(16), e.text, pixels, Hex(0xffffff));
}

void DrawFolder(Canvas& c, Font&, const Entry& e) {
  Grid g(c);
  const Colour edge = Hex(0xb07d1a);
  const Paint yellow = Vertical(Hex(0xffd978), Hex(0xe8a922), g.P(0, 3).y, g.P(0, 14).y);
  BorderedBox(c, g.Rect(1, 2.5, 6, 3, 1), g.Rect(2, 3.5, 4, 2), edge, yellow);
  if (e.style != "open") {
    BorderedBox(c, g.Rect(0.5, 4, 15, 10.5, 1), g.Rect(1.5, 5, 13, 8.5, 0.5), edge, yellow);
    return;
  }
  BorderedBox(c, g.Rect(0.5, 4, 13, 10.5, 1), g.Rect(1.5, 5, 11, 8.5, 0.5), edge, Solid(Hex(0xd9a033)));
  BorderedBox(c, g.Rect(2.5, 5.5, 9, 6), g.Rect(3.5, 6.5, 7, 5), Hex(kPaperLine), Solid(Hex(kPaper)));
  Path flap = Path().Polygon({g.P(3.2, 7.5), g.P(15.8, 7.5), g.P(13.4, 14.5), g.P(0.5, 14.5)});
  Path flap_inside = Path().Polygon({g.P(3.9, 8.4), g.P(14.6, 8.4), g.P(12.7, 13.6), g.P(1.8, 13.6)});
  c.Fill(flap, edge);
  c.Fill(flap_inside, Vertical(Hex(0xffe08e), Hex(0xf0b431), g.P(0, 8).y, g.P(0, 14).y));
}

// A ring of dots, darkest at the top, fading round the circle.
void DrawWait(Canvas& c, Font&, const Entry&) {
  Grid g(c);
  for (int i = 0; i < 8; ++i) {
    Point u = UnitVector(-90 + 45.0 * i);
    c.Fill(g.Circle(8 + u.x * 5.6, 8 + u.y * 5.6, 1.45), Hex(0x3a5fae, 1 - i * 0.1));
  }
}

void DrawGroup(Canvas& c, Font&, const Entry&) {
  Grid g(c);
  auto person = [&](double x, double y, double size, uint32_t colour) {
    c.Fill(g.Circle(x, y, 2.3 * size), Hex(colour));
    Point shoulders = g.P(x, y + 6.6 * size);
    Mask body = Mask::Of(Path().Ellipse(shoulders.x, shoulders.y, g.L(4.2 * size), g.L(3.6 * size)), c.Width(), c.Height());
    body.Intersect(Mask::Of(Path().Rect(0, 0, c.Width(), shoulders.y + g.L(0.2)), c.Width(), c.Height()));
    c.Fill(body, Solid(Hex(colour)));
  };
  person(10.8, 4.2, 0.9, 0x8fa9d0);
  person(6.2, 5.6, 1.0, 0x3a5fae);
}

// An envelope: closed with a red dot when the style is "new", else open.
void DrawMail(Canvas& c, Font&, const Entry& e) {
  Grid g(c);
  bool fresh = e.style == "new";
  const Colour edge = Hex(0x6b7b93);
  if (!fresh) {
    c.Fill(Path().Polygon({g.P(1, 7), g.P(8, 1.8), g.P(15, 7)}), edge);
    c.Fill(Path().Polygon({g.P(2.6, 7), g.P(8, 3), g.P(13.4, 7)}), Hex(0xe9edf3));
  }
  BorderedBox(c, g.Rect(1, 6.5, 14, 8.5), g.Rect(2, 7.5, 12, 6.5), edge,
              Solid(Hex(fresh ? 0xfdf6e3 : 0xf4f6f9)));
  c.Polyline({g.P(2, fresh ? 7.5 : 13.5), g.P(8, fresh ? 11.5 : 9.8), g.P(14, fresh ? 7.5 : 13.5)}, g.L(1), edge);
  if (fresh) c.Fill(g.Circle(13.2, 4.2, 2.6), Hex(kRed));
}

// ---- the UBB editor's faces ----

// A round face whose look the entry's number picks: the eyes (dots, happy
// arcs or a wink), the mouth (a smile, open, straight or round), rosy cheeks
// on every other one, and the colour. The smileys are the style-less faces;
// the stickers ("sticker:N", N the set) are larger, on a card of their set's
// colour, with a set's own face colours.
void DrawFace(Canvas& c, Font&, const Entry& e) {
  if (e.text.empty()) throw std::runtime_error("a face needs its number");
  const int number = std::stoi(e.text);
  int set = 0;
  if (e.style.starts_with("sticker:")) set = std::stoi(e.style.substr(8));
  else if (!e.style.empty()) throw std::runtime_error("a face's style is sticker:N or none");
  constexpr uint32_t kSkins[] = {0xffd54f, 0xffb74d, 0xf8bbd0, 0xaed581, 0x81d4fa, 0xce93d8};
  constexpr uint32_t kCards[] = {0xe3f2fd, 0xfff3e0, 0xe8f5e9, 0xfce4ec, 0xede7f6};
  Grid g(c);
  if (set > 0) c.Fill(g.Rect(0.3, 0.3, 15.4, 15.4, 3), Hex(kCards[(set - 1) % 5]));
  const uint32_t skin = kSkins[(number / 12 + set) % 6];
  const double r = set > 0 ? 6.2 : 7.4;
  const Colour ink = Hex(0x5d4037);
  c.Fill(g.Circle(8, 8, r + 0.6), Hex(0xa1887f));
  c.Fill(g.Circle(8, 8, r), Vertical(Mix(Hex(0xffffff), Hex(skin), 0.55), Hex(skin), g.P(0, 8 - r).y, g.P(0, 8).y));
  const double stroke = std::max(1.0, g.L(0.9));
  switch (number % 3) {
    case 0:  // dots
      c.Fill(g.Circle(5.8, 6.6, 0.95), ink);
      c.Fill(g.Circle(10.2, 6.6, 0.95), ink);
      break;
    case 1:  // happy arcs
      c.Polyline({g.P(4.7, 7.2), g.P(5.8, 6.0), g.P(6.9, 7.2)}, stroke, ink);
      c.Polyline({g.P(9.1, 7.2), g.P(10.2, 6.0), g.P(11.3, 7.2)}, stroke, ink);
      break;
    default:  // a wink
      c.Fill(g.Circle(5.8, 6.6, 0.95), ink);
      c.Polyline({g.P(9.1, 6.7), g.P(11.3, 6.7)}, stroke, ink);
  }
  if (number % 2) {
    c.Fill(g.Circle(4.4, 9.4, 1.1), Hex(0xef5350, 0.35));
    c.Fill(g.Circle(11.6, 9.4, 1.1), Hex(0xef5350, 0.35));
  }
  switch ((number / 3) % 4) {
    case 0:  // a smile
      c.Polyline({g.P(5.2, 9.8), g.P(6.5, 11.3), g.P(8, 11.8), g.P(9.5, 11.3), g.P(10.8, 9.8)}, stroke, ink);
      break;
    case 1:  // open
      c.Fill(Path().Polygon({g.P(5.3, 9.8), g.P(10.7, 9.8), g.P(9.6, 11.9), g.P(8, 12.5), g.P(6.4, 11.9)}), ink);
      c.Fill(g.Rect(6.3, 11.2, 3.4, 1.0, 0.5), Hex(0xe57373));
      break;
    case 2:  // straight
      c.Polyline({g.P(6, 11), g.P(10, 11)}, stroke, ink);
      break;
    default:  // round
      c.Fill(g.Circle(8, 11, 1.4), ink);
  }
}

// ---- file-type icons ----

struct FileColour {
  std::string_view extensions;  // "|"-framed
  uint32_t colour;
};

constexpr FileColour kFileColours[] = {
    {"|doc|wri|", 0x2b579a},
    {"|xls|", kGreen},
    {"|ppt|", 0xd24726},
    {"|pdf|", 0xc5282f},
    {"|txt|text|log|", 0x6b7b8c},
    {"|htm|html|mht|xml|xslt|css|js|asp|asa|aspx|inc|cs|vs|htc|", 0x7a4ea3},
    {"|mdb|mdf|sql|", 0xa4373a},
    {"|hlp|chm|", 0x1f8a8a},
    {"|bmp|gif|jpg|pct|", 0x2e8b57},
    {"|mid|midi|mp3|wav|wmp|", 0xd08700},
    {"|avi|rm|rmvb|wmv|", 0x8e44ad},
    {"|swf|", 0xcc3333},
    {"|zip|rar|cab|iso|img|", 0x8d6e3f},
    {"|dwf|dwg|dxf|", 0x00838f},
    {"|mail|url|lnk|", 0x1e88e5},
    {"|exe|com|bat|cmd|dll|sys|reg|vda|", 0x455a64},
};

uint32_t FileColourOf(const std::string& extension) {
  std::string key = "|" + extension + "|";
  for (const FileColour& f : kFileColours)
    if (f.extensions.find(key) != std::string_view::npos) return f.colour;
  return 0x90a4ae;  // the unknown kind
}

// A page with a folded corner and a coloured band; the large icon writes the
// kind on the band in capitals ("?" for an unknown kind).
void DrawFile(Canvas& c, Font& font, const Entry& e) {
  if (e.text.empty()) throw std::runtime_error("a file icon needs its kind (the extension, or unknown)");
  const double w = c.Width(), h = c.Height();
  const bool large = h >= 24;
  const double page_w = large ? 24 : 12, page_h = h - 1, x = std::floor((w - page_w) / 2) + 0.5, y = 0.5;
  const double fold = large ? 7 : 4;
  auto page = [&](double inset) {
    return Path().Polygon({{x + inset, y + inset},
                           {x + page_w - fold, y + inset},
                           {x + page_w - inset, y + fold},
                           {x + page_w - inset, y + page_h - inset},
                           {x + inset, y + page_h - inset}});
  };
  c.Fill(Ring(page(0), page(1), c.Width(), c.Height()), Solid(Hex(kPaperLine)));
  c.Fill(page(1), Vertical(Hex(0xffffff), Hex(0xeef1f5), y, y + page_h));
  c.Fill(Path().Polygon({{x + page_w - fold, y}, {x + page_w - fold, y + fold}, {x + page_w, y + fold}}), Hex(0xc9d1dc));
  const bool unknown = e.text == "unknown";
  const uint32_t colour = FileColourOf(e.text);
  if (!large) {
    c.Fill(Path().Rect(x - 2.5, y + page_h - 7, page_w + 3, 5), Hex(colour));
    if (unknown) c.Fill(Path().Rect(x + 3.5, y + 5, 4, 1), Hex(kPaperLine));
    return;
  }
  for (double line = y + 5; line < y + page_h - 14; line += 3)
    c.Fill(Path().Rect(x + 4, line, page_w - fold - 6 + (line > y + fold ? fold : 0), 1), Hex(0xcfd6e0));
  std::string label;
  for (char ch : unknown ? std::string("?") : e.text) label += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  const int pixels = label.size() > 3 ? 9 : 10;
  const double band_w = std::max(page_w + 2, font.Measure(label, pixels) + 6.0), band_x = std::floor((w - band_w) / 2);
  c.Fill(Path().RoundRect(band_x, y + page_h - 13, band_w, 11, 2), Hex(colour));
  font.DrawCentred(c, band_x, y + page_h - 13, band_w, 11, label, pixels, Hex(0xffffff));
}

// ---- the table of drawings ----

using DrawingFunction = void (*)(Canvas&, Font&, const Entry&);

const std::map<std::string_view, DrawingFunction>& Drawings() {
  static const std::map<std::string_view, DrawingFunction> kDrawings = {
      {"frame-top-left", DrawFrame},     {"frame-top", DrawFrame},         {"frame-top-right", DrawFrame},
      {"frame-left", DrawFrame},         {"frame-body", DrawFrame},        {"frame-right", DrawFrame},
      {"frame-sides", DrawFrame},        {"frame-bottom-left", DrawFrame}, {"frame-bottom", DrawFrame},
      {"frame-bottom-right", DrawFrame}, {"frame-foot", DrawFrame},        {"frame-close", DrawFrameClose},
      {"frame-tail", DrawFrameTail},     {"tab-start", DrawTitleTab},      {"tab-middle", DrawTitleTab},
      {"tab-end", DrawTitleTab},         {"button", DrawButton},           {"close", DrawClose},
      {"bar", DrawBar},                  {"rule", DrawRule},               {"spacer", DrawSpacer},
      {"tab", DrawTab},                  {"tab-base", DrawTabBase},        {"card", DrawCard},
      {"up", DrawUp},                    {"printer", DrawPrinter},         {"sheet", DrawSheet},
      {"quit", DrawQuit},                {"edit", DrawEdit},               {"delete", DrawDelete},
      {"info", DrawInfo},                {"emblem", DrawEmblem},           {"folder", DrawFolder},
      {"wait", DrawWait},                {"group", DrawGroup},             {"mail", DrawMail},
      {"file", DrawFile},                {"face", DrawFace},
  };
  return kDrawings;
}

}  // namespace

void Draw(Canvas& canvas, Font& font, const Entry& entry) {
  auto found = Drawings().find(entry.drawing);
  if (found == Drawings().end()) throw std::runtime_error("no drawing \"" + entry.drawing + "\"");
  found->second(canvas, font, entry);
}

std::vector<std::string> DrawingNames() {
  std::vector<std::string> names;
  for (const auto& [name, draw] : Drawings()) names.emplace_back(name);
  return names;
}

}  // namespace pictures
