#include "editors/kesra_chart_bar.h"

#include <algorithm>
#include <cmath>

#include "editors/kesra_chart_data.h"

namespace qe {
namespace {

constexpr int16_t kMargin = 70;
constexpr char16_t kGridColor[] = u"#69f";

// The pieces of the chart, each as the page's VML writes it.
class BarMarkup {
 public:
  BarMarkup(const ChartColors& colors, int16_t thickness) : colors_(colors), thickness_(thickness) {}

  vb::String out;

  void Line(const vb::String& x1, const vb::String& y1, const vb::String& x2, const vb::String& y2) {
    LineStart(x1, y1, x2, y2);
    out += u"px'/><![endif]-->";
  }
  void GridLine(const vb::String& x1, const vb::String& y1, const vb::String& x2, const vb::String& y2) {
    LineStart(x1, y1, x2, y2);
    out += u"px' strokecolor='";
    out += kGridColor;
    out += u"'/><![endif]-->";
  }
  void Box(const vb::String& left, const vb::String& top, const vb::String& width) {
    out += u"<v:shape id='_x0000_s1025' type='#_x0000_t202' title='' style='position:absolute;left:" + left +
           u"px;top:" + top + u"px;width:" + width + u"px;height:18px;z-index:1'>";
  }
  void Text(const vb::String& text, vb::StringView align) {
    out += u"<v:textbox inset='0px,0px,0px,0px'><table cellspacing='3' cellpadding='0' width='100%' "
           u"height='100%'><tr><td align='";
    out += align;
    out += u"'>" + text + u"</td></tr></table></v:textbox></v:shape>";
  }
  void GridLabel(const vb::String& left, const vb::String& top, double g) {
    out += u"<!--[if gte vml 1]>";
    Box(left, top, chart::DecimalText(kMargin));
    Text(chart::DecimalText(g), u"right");
    out += u"<![endif]-->";
  }
  void Bar(const vb::String& left, const vb::String& top, const vb::String& width, const vb::String& height,
           const vb::String& fill, int k) {
    out += u"<v:rect id='_x0000_s1025' title='' style='position:absolute;left:" + left + u"px;top:" + top +
           u"px;width:" + width + u"px;height:" + height + u"px;z-index:1' fillcolor='" + colors_.strong[k] +
           u"'>" + fill + u"<o:extrusion v:ext='view' backdepth='" + chart::DecimalText(thickness_) + u"pt' color='" +
           colors_.strong[k] + u"' on='t'/>" + u"</v:rect>";
  }

 private:
  void LineStart(const vb::String& x1, const vb::String& y1, const vb::String& x2, const vb::String& y2) {
    out += u"<!--[if gte vml 1]><v:line id='_x0000_s1027' title='' style='position:absolute;left:0;"
           u"text-align:left;top:0;flip:y;z-index:-1' from='" +
           x1 + u"px," + y1 + u"px' to='" + x2 + u"px," + y2;
  }

  const ChartColors& colors_;
  int16_t thickness_;
};

vb::String N(double value) { return chart::DecimalText(value); }

}  // namespace

vb::String KesraTableChart1(vb::Variant& p_TableArray, int16_t p_TableLeft, vb::String p_TableTop,
                            int16_t p_Thickness, int16_t p_TableWidth, int16_t p_AllWidth, int16_t p_AllHeight,
                            vb::String p_TableType) {
  const ChartColors colors = KesraChartInitColors();
  const int16_t L = p_TableLeft, W = p_TableWidth, AW = p_AllWidth, AH = p_AllHeight, Mg = kMargin;
  const vb::String& T_text = p_TableTop;
  const double h = p_Thickness / 2.0;

  const int16_t rows = ChartRowCount(p_TableArray);
  double maximum = 0;
  for (int32_t i = 1; i <= rows; ++i) maximum = std::max(maximum, ChartValue(ChartCell(p_TableArray, i, 1)));
  const double top = chart::ScaleTop(maximum);
  double g = top;

  BarMarkup m(colors, p_Thickness);
  m.out.reserve(4096 + 900 * static_cast<size_t>(std::max<int16_t>(rows, 0)));  // about what a row takes
  m.out += u"<!--[if gte vml 1]><v:rect id='_x0000_s1027' title='' style='position:absolute;left:" +
           N(Int16(L + Mg)) + u"px;top:" + T_text + u"px;width:" + N(AW) + u"px;height:" + N(AH) +
           u"px;z-index:-1' fillcolor='#9cf' stroked='f'><v:fill rotate='t' angle='-45' focus='100%' "
           u"type='gradient'/></v:rect><![endif]-->";
  const double T = ChartTop(T_text);
  m.Line(N(Int16(Mg + L)), N(T + AH), N(Int16(Int16(L + AW) + Mg)), N(T + AH));
  m.Line(N(Int16(Mg + L)), T_text, N(Int16(Mg + L)), N(T + AH));

  // The value of a bar: one below 0 stands at 0, its label showing the value.
  auto plotted = [&](int32_t i) { return std::max(0.0, ChartValue(ChartCell(p_TableArray, i, 1))); };
  const int16_t left = Int16(Mg + L);

  if (p_TableType == u"A") {
    const double gap = rows > 0 ? Int16(AW - Int16(int64_t{rows} * W)) / static_cast<double>(rows) : 0;
    m.GridLine(N(left + h), T_text, N(left + h), N(T + AH - h));
    ForEachGridStep(AH, [&](int32_t i) {
      m.GridLine(N(left), N(T + AH - h - i), N(left + h), N(T + AH - i));
      m.GridLine(N(left + h), N(T + AH - h - i), N(Int16(Int16(L + AW) + Mg)), N(T + AH - h - i));
      m.Line(N(Int16(Int16(Mg - 15) + L)), N(T + i), N(Int16(L + Mg)), N(T + i));
      m.GridLabel(N(L), N(T + i), g);
      g = g - top / 5;
    });
    for (int32_t i = 1; i <= rows; ++i) {
      const int k = ChartColorIndex(i);
      const double v = plotted(i);
      const double x = left + gap / 2 + (i - 1) * gap + Int16(int64_t{i - 1} * W);
      const double y = T + AH * (1 - v / top);
      m.Bar(N(x), N(y), N(W), N(AH * v / top),
            u"<v:fill color2='" + colors.light[k] + u"' rotate='t' type='gradient'/>", k);
      m.Box(N(x), N(y - W), N(gap + 15));
      m.Text(ChartText(ChartCell(p_TableArray, i, 1)), u"center");
      m.Box(N(x - gap / 2), N(T + AH + 1), N(W + gap));
      m.Text(ChartText(ChartCell(p_TableArray, i, 2)), u"center");
    }
  } else if (p_TableType == u"B") {
    const double gap = rows > 0 ? Int16(AH - Int16(int64_t{rows} * W)) / static_cast<double>(rows) : 0;
    m.GridLine(N(left + h), N(T + AH - h), N(Int16(left + AW)), N(T + AH - h));
    g = top / 5;
    ForEachGridStep(AW, [&](int32_t i) {
      const int16_t x = Int16(left + i);
      m.GridLine(N(x), N(T + AH - h), N(left + h + i), N(T + AH));
      m.GridLine(N(left + h + i), N(T + AH - h), N(left + h + i), T_text);
      m.Line(N(x + AW / 5.0), N(T + AH), N(x + AW / 5.0), N(T + AH + 15));
      m.GridLabel(N(Int16(L + i) + AW / 5.0), N(T + AH), g);
      g = g + top / 5;
    });
    for (int32_t i = 1; i <= rows; ++i) {
      const int k = ChartColorIndex(i);
      const double v = plotted(i);
      const double y = T + Int16(int64_t{i - 1} * W) + (i - 1) * gap + gap / 2;
      const double length = AW * v / top;
      m.Bar(N(left), N(y), N(length), N(W),
            u"<v:fill color2='" + colors.light[k] + u"' rotate='t' angle='-90' focus='100%' type='gradient'/>", k);
      m.Box(N(left + length + h), N(y), N(gap + 15));
      m.Text(ChartText(ChartCell(p_TableArray, i, 1)), u"center");
      m.Box(N(L), N(y), N(Mg));
      m.Text(ChartText(ChartCell(p_TableArray, i, 2)), u"right");
    }
  }
  return m.out;
}

}  // namespace qe
