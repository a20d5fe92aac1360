#include "editors/kesra_chart_pie.h"

#include <algorithm>
#include <cmath>

#include "editors/kesra_chart_data.h"
#include "platform/vb/convert.h"
#include "platform/vb/format.h"

namespace qe {
namespace {

constexpr int16_t kLegendStep = 30;
constexpr double kFullTurn = 23592960;  // 360 degrees in VML's 1/65536 degree
constexpr double kTwoPi = 6.28318530717958;

constexpr char16_t kTextBox[] =
    u"<v:textbox inset='0px,0px,0px,0px'><table cellspacing='3' cellpadding='0' width='100%' height='100%'><tr>"
    u"<td align='left'>";
constexpr char16_t kTextBoxEnd[] = u"</td></tr></table></v:textbox></v:shape>";

vb::String N(double value) { return chart::DecimalText(value); }

vb::String Shape(const vb::String& left, const vb::String& top, const vb::String& size) {
  return u"<v:shape id='_x0000_s1025' type='#_x0000_t202' title='' style='position:absolute;left:" + left +
         u"px;top:" + top + size + u"px;z-index:1'>" + kTextBox;
}

}  // namespace

vb::String KesraTableChart3(vb::Variant& p_TableArray, int16_t p_TableLeft, vb::String p_TableTop,
                            int16_t p_AllWidth, int16_t p_AllHeight, vb::String p_TableType) {
  const ChartColors colors = KesraChartInitColors();
  const int16_t L = p_TableLeft, AW = p_AllWidth, AH = p_AllHeight;
  const vb::String& T_text = p_TableTop;
  const int16_t rows = ChartRowCount(p_TableArray);
  auto value = [&](int32_t i) { return ChartValue(ChartCell(p_TableArray, i, 1)); };

  // A whole number after each addition, held wider than 16 bits.
  double total = 0;
  for (int32_t i = 1; i <= rows; ++i) total = vb::RoundHalfEven(total + value(i));
  auto share = [&](double v) { return total == 0 ? 0.0 : v / total; };
  auto percent = [&](double v) { return vb::FormatNumber(total == 0 ? 0.0 : v * 100 / total, 2); };

  vb::String out;
  out.reserve(1024 + 1100 * static_cast<size_t>(std::max<int16_t>(rows, 0)));  // about what a row takes
  const vb::String box = N(L) + u"px;top:" + T_text + u"px;width:" + N(AW) + u"px;height:" + N(AH);
  float start = 0;  // single precision, as the running start always was
  for (int32_t i = 1; i <= rows; ++i) {
    const int k = ChartColorIndex(i);
    const double v = value(i);
    const double extent = total == 0 ? 0.0 : std::floor(v * kFullTurn / total);
    Append(out, u"<v:shape id='_x0000_s1025' title='' style='position:absolute;left:", box,
           u"px;z-index:1' coordsize='1500,1400' o:spt='100' adj='0,,0' path='m750,700ae750,700,750,700,",
           N(std::floor(static_cast<double>(start) * kFullTurn)), u",", N(extent), u"xe' fillcolor='",
           colors.light[k], u"' strokecolor='#FFFFFF'><v:fill color2='", colors.strong[k],
           u"' rotate='t' focus='100%' type='gradient'/><v:stroke joinstyle='round'/><v:formulas/>"
           u"<v:path o:connecttype='segments'/></v:shape>\r");
    start = static_cast<float>(start + share(v));
  }

  if (p_TableType == u"A") {
    const double T = ChartTop(T_text);
    const int16_t right = Int16(L + AW);
    out += u"<v:rect id='_x0000_s1025' style='position:absolute;left:" + N(Int16(right + 20)) + u"px;top:" +
           N(T + 20) + u"px;width:140px;height:" + N(Int16(Int16(int64_t{rows} * kLegendStep) + 20)) +
           u"px;z-index:1'/>";
    for (int32_t i = 1; i <= rows; ++i) {
      const int k = ChartColorIndex(i);
      const double y = T + 30 + Int16(int64_t{i - 1} * kLegendStep);
      const vb::String size = u"px;width:60px;height:" + N(kLegendStep);
      out += Shape(N(Int16(right + 25)), N(y), size) + ChartText(ChartCell(p_TableArray, i, 2)) + kTextBoxEnd;
      out += u"<v:rect id='_x0000_s1040' title='' style='position:absolute;left:" + N(Int16(right + 80)) +
             u"px;top:" + N(y + 3) + u"px;width:30px;height:20px;z-index:1' fillcolor='" + colors.light[k] +
             u"'><v:fill color2='" + colors.strong[k] + u"' rotate='t' focus='100%' type='gradient'/></v:rect>";
      out += Shape(N(Int16(right + 110)), N(y), size) + percent(value(i)) + u"%" + kTextBoxEnd;
    }
  } else if (p_TableType == u"B") {
    const double T = ChartTop(T_text);
    const double cx = L + AW / 2.0, cy = T + AH / 2.0;
    double acc = 0;
    for (int32_t i = 1; i <= rows; ++i) {
      const double v = value(i);
      const double theta = (acc + (total == 0 ? 0.0 : v / (2 * total))) * kTwoPi;
      const double x1 = cx + AW * std::cos(theta) * 3 / 8, y1 = cy - AH * std::sin(theta) * 3 / 8;
      const double x2 = cx + AW * std::cos(theta) * 3 / 4, y2 = cy - AH * std::sin(theta) * 3 / 4;
      const double x3 = x2 > cx ? x2 + 20 : x2 - 20;
      const double label_left = x2 > cx ? x3 : x3 - 100;
      Append(out, u"<v:oval id='_x0000_s1027' style='position:absolute;left:", N(x1 - 2), u"px;top:", N(y1 - 2),
             u"px;width:4px;height:4px; z-index:2' fillcolor='#111111' strokecolor='#111111'/>\r");
      auto leader = [&](double xa, double ya, double xb, double yb) {
        Append(out,
               u"<v:line id='_x0000_s1025' title='' style='position:absolute;left:0;text-align:left;top:0;"
               u"z-index:1' from='",
               N(xa), u"px,", N(ya), u"px' to='", N(xb), u"px,", N(yb),
               u"px' coordsize='21600,21600' strokecolor='#111111' strokeweight='1px'></v:line>");
      };
      leader(x1, y1, x2, y2);
      leader(x2, y2, x3, y2);
      Append(out, Shape(N(label_left), N(y2 - 10), u"px;width:100px;height:20"),
             ChartText(ChartCell(p_TableArray, i, 2)), u" ", percent(v), u"%", kTextBoxEnd);
      acc = acc + share(v);
    }
  }
  return out;
}

}  // namespace qe
