#include "editors/kesra_chart_line.h"

#include <algorithm>
#include <vector>

#include "editors/kesra_chart_data.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr int16_t kMargin = 70;
constexpr int16_t kLegendStep = 30;
constexpr char16_t kCR = u'\r';

constexpr char16_t kLine[] =
    u"<v:line id='_x0000_s1027' title='' style='position:absolute;left:0;text-align:left;top:0;flip:y;z-index:-1' "
    u"from='";
constexpr char16_t kTextBoxLeft[] =
    u"<v:textbox inset='0px,0px,0px,0px'><table cellspacing='3' cellpadding='0' width='100%' height='100%'><tr>"
    u"<td align='left'>";
constexpr char16_t kTextBoxEnd[] = u"</td></tr></table></v:textbox></v:shape>";

// The parts of a series' style text.
struct LineStyle {
  vb::String colour, weight, legend;
  double dash = 1, marker = 0;
};

LineStyle ReadStyle(const vb::Variant& cell) {
  const vb::Array parts = vb::Split(vb::CStr(cell), u",");
  LineStyle style;
  style.colour = vb::CStr(parts.Get({0}));
  style.weight = vb::CStr(parts.Get({1}));
  style.dash = vb::CDbl(parts.Get({2}));
  style.marker = vb::CDbl(parts.Get({3}));
  style.legend = vb::CStr(parts.Get({4}));
  return style;
}

vb::String DashElement(double code) {
  if (code == 2) return u"<v:stroke dashstyle='1 1'/>";
  if (code == 3) return u"<v:stroke dashstyle='dash'/>";
  if (code == 4) return u"<v:stroke dashstyle='dashDot'/>";
  if (code == 5) return u"<v:stroke dashstyle='longDash'/>";
  if (code == 6) return u"<v:stroke dashstyle='longDashDot'/>";
  if (code == 7) return u"<v:stroke dashstyle='longDashDotDot'/>";
  return {};
}

vb::String Marker(const LineStyle& style, double x, double y) {
  vb::String out;
  if (style.marker == 2) {
    out = u"<v:rect id=\"_x0000_s1027\" style='position:absolute;left:" + chart::DecimalText(x - 2) + u"px;top:" +
          chart::DecimalText(y - 2) + u"px;width:4px;height:4px; z-index:2' fillcolor=\"" + style.colour +
          u"\" strokecolor=\"" + style.colour + u"\"/>" + kCR;
  } else if (style.marker == 3) {
    out = u"<v:oval id=\"_x0000_s1026\" style='position:absolute;left:" + chart::DecimalText(x - 2) + u"px;top:" +
          chart::DecimalText(y - 2) + u"px;width:4px;height:4px;z-index:1' fillcolor=\"" + style.colour +
          u"\" strokecolor=\"" + style.colour + u"\"/>" + kCR;
  }
  return out;
}

vb::String N(double value) { return chart::DecimalText(value); }

}  // namespace

vb::String KesraTableChart2(vb::Variant& p_TableArray, int16_t p_TableLeft, vb::String p_TableTop,
                            int16_t p_AllWidth, int16_t p_AllHeight, int16_t p_LineNumber) {
  const int16_t L = p_TableLeft, AW = p_AllWidth, AH = p_AllHeight, S = p_LineNumber, Mg = kMargin;
  const vb::String& T_text = p_TableTop;
  const int16_t rows = ChartRowCount(p_TableArray);

  double maximum = 0;
  for (int32_t i = 1; i <= rows; ++i)
    for (int32_t j = 1; j <= S; ++j) maximum = std::max(maximum, ChartValue(ChartCell(p_TableArray, i, j)));
  const double top = chart::ScaleTop(maximum);
  double g = top;

  vb::String out = u"<v:rect id='_x0000_s1027' title='' style='position:absolute;left:" + N(Int16(Mg + L)) +
                   u"px;top:" + T_text + u"px;width:" + N(AW) + u"px;height:" + N(AH) +
                   u"px;z-index:-1' fillcolor='#9cf' stroked='f'><v:fill rotate='t' angle='-45' focus='100%' "
                   u"type='gradient'/></v:rect>";
  const double T = ChartTop(T_text);
  const int16_t left = Int16(Mg + L);
  ForEachGridStep(AH, [&](int32_t i) {
    out += kLine + N(left) + u"px," + N(T + AH - i) + u"px' to='" + N(Int16(Int16(L + AW) + Mg)) + u"px," +
           N(T + AH - i) + u"px' strokecolor='#69f'/>";
    out += kLine + N(Int16(Int16(Mg - 15) + L)) + u"px," + N(T + i) + u"px' to='" + N(left) + u"px," +
           N(T + i) + u"px'/>";
    out += u"<v:shape id='_x0000_s1025' type='#_x0000_t202' title='' style='position:absolute;left:" + N(L) +
           u"px;top:" + N(T + i) + u"px;width:" + N(Mg) +
           u"px;height:18px;z-index:1'><v:textbox inset='0px,0px,0px,0px'><table cellspacing='3' "
           u"cellpadding='0' width='100%' height='100%'><tr><td align='right'>" +
           N(g) + kTextBoxEnd;
    g = g - top / 5;
  });
  out += kLine + N(Int16(L + Mg)) + u"px," + N(T + AH) + u"px' to='" + N(Int16(Int16(L + AW) + Mg)) + u"px," +
         N(T + AH) + u"px'/>";
  out += kLine + N(left) + u"px," + T_text + u"px' to='" + N(Int16(L + Mg)) + u"px," + N(T + AH) + u"px'/>";

  std::vector<LineStyle> styles;
  for (int32_t j = 1; j <= S; ++j) styles.push_back(ReadStyle(ChartCell(p_TableArray, 0, j)));

  auto x_of = [&](int32_t i) { return left + (i - 1) * static_cast<double>(AW) / rows; };
  auto y_of = [&](int32_t i, int32_t j) { return T + (top - ChartValue(ChartCell(p_TableArray, i, j))) * AH / top; };
  for (int32_t j = 1; j <= S; ++j) {
    const LineStyle& style = styles[j - 1];
    for (int32_t i = 1; i <= rows - 1; ++i) {
      const double x = x_of(i), y = y_of(i, j);
      out += u"<v:line id=\"_x0000_s1025\" title=\"\" style='position:absolute;left:0;text-align:left;top:0;"
             u"z-index:1' from=\"" +
             N(x) + u"px," + N(y) + u"px\" to=\"" + N(x_of(i + 1)) + u"px," + N(y_of(i + 1, j)) +
             u"px\" coordsize=\"21600,21600\" strokecolor=\"" + style.colour + u"\" strokeweight=\"" + style.weight +
             u"\">" + DashElement(style.dash) + u"</v:line>" + kCR;
      out += Marker(style, x, y);
    }
    // A table without rows has no last point (row 0 holds the styles).
    if (rows >= 1) out += Marker(style, x_of(rows), y_of(rows, j));
  }

  for (int32_t i = 1; i <= rows; ++i) {
    const double x = x_of(i);
    out += kLine + N(x) + u"px," + N(T + AH) + u"px' to='" + N(x) + u"px," + N(T + AH + 15) + u"px'/>";
    out += u"<v:shape id='_x0000_s1025' type='#_x0000_t202' title='' style='position:absolute;left:" + N(x) +
           u"px;top:" + N(T + AH) + u"px;width:" + N(static_cast<double>(AW) / rows) + u"px;height:18px;z-index:1'>" +
           kTextBoxLeft + ChartText(ChartCell(p_TableArray, i, 0)) + kTextBoxEnd;
  }

  out += u"<v:rect id='_x0000_s1025' style='position:absolute;left:" + N(Int16(Int16(L + AW) + 80)) + u"px;top:" +
         T_text + u"px;width:100px;height:" + N(Int16(Int16(int64_t{kLegendStep} * S) + 20)) + u"px;z-index:1'/>";
  for (int32_t j = 1; j <= S; ++j) {
    const LineStyle& style = styles[j - 1];
    const double y = T + 10 + Int16(int64_t{j - 1} * kLegendStep);
    out += u"<v:shape id='_x0000_s1025' type='#_x0000_t202' title='' style='position:absolute;left:" +
           N(Int16(Int16(L + AW) + 85)) + u"px;top:" + N(y) + u"px;width:60px;height:" + N(kLegendStep) +
           u"px;z-index:1'>" + kTextBoxLeft + style.legend + kTextBoxEnd;
    out += u"<v:rect id='_x0000_s1040' title='' style='position:absolute;left:" + N(Int16(Int16(L + AW) + 140)) +
           u"px;top:" + N(y + 4) + u"px;width:30px;height:20px;z-index:1' fillcolor='" + style.colour +
           u"'><v:fill color2='" + style.colour + u"' rotate='t' focus='100%' type='gradient'/></v:rect>";
  }
  return out;
}

}  // namespace qe
