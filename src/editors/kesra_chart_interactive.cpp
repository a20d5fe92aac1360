#include "editors/kesra_chart_interactive.h"

#include <vector>

#include "editors/kesra_chart_data.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

vb::String N(double value) { return chart::DecimalText(value); }

// The client script: showit holds one slot per series, set while the entry is pinned.
vb::String Script(int16_t series) {
  return u"<script language=\"JavaScript\">"
         u"var showit = new Array(" + N(series) + u");"
         u"function moveon(iteam,lineit)"
         u"{"
         u"p_Temp=eval(iteam);"
         u"templine=eval(lineit);"
         u"if(showit[1])"
         u"{"
         u"rec1.style.display = \"\";"
         u"line_1.style.display = \"\";"
         u"}"
         u"else"
         u"{"
         u"rec1.style.display = \"none\";"
         u"line_1.style.display = \"none\";"
         u"} "
         u"p_Temp.style.display = \"\";"
         u"templine.style.display = \"\";"
         u"}"
         u"function moveout(iteam,lineit,p_i)"
         u"{"
         u"p_Temp=eval(iteam);"
         u"templine=eval(lineit);"
         u"if (showit[p_i])"
         u"{"
         u"p_Temp.style.display = \"\";"
         u"templine.style.display = \"\";"
         u"}"
         u"else"
         u"{"
         u"p_Temp.style.display = \"none\";"
         u"templine.style.display = \"none\";"
         u"}"
         u"}"
         u"function clickit(p_i)"
         u"{"
         u"if (showit[p_i])"
         u"{"
         u"showit[p_i]=false"
         u"}"
         u"else"
         u"{"
         u"showit[p_i]=true"
         u"} "
         u"}"
         u"</script>";
}

// A text box of the group: its rectangle and a div of 9-point text.
vb::String UnitText(const vb::String& place, vb::StringView align, const vb::String& text) {
  return u" <v:Rect style='position:relative;" + place + u"' filled='false' stroked='false'>" +
         u" <v:TextBox inset='0pt,0pt,0pt,0pt' style='font-size:9pt;'><div align='" + vb::String(align) + u"'>" +
         text + u"</div></v:TextBox>" + u" </v:Rect> ";
}

// A line of the group's frame: " <v:line from='x,y' to='x,y' ...>" with what it holds.
vb::String FrameLine(const vb::String& from, const vb::String& to, vb::StringView colour, vb::StringView inside = u"") {
  return u" <v:line from='" + from + u"' to='" + to + u"' style='z-index:2' strokecolor='" + vb::String(colour) + u"'>" +
         vb::String(inside) + u"</v:line>";
}

vb::String Point(double x, double y) { return N(x) + u"," + N(y); }

}  // namespace

vb::String KesraTableChart4(vb::Variant& p_TableArray, int16_t p_TableLeft, vb::String p_TableTop,
                            int16_t p_AllWidth, int16_t p_AllHeight, vb::String p_TableTitle,
                            vb::String p_UnitXTitle, vb::String p_UnitYTitle) {
  const ChartColors colors = KesraChartInitColors();
  const int16_t series = ChartRowCount(p_TableArray);
  const std::vector<vb::String> labels = vb::SplitParts(vb::CStr(ChartCell(p_TableArray, 0, 1)), u",");
  const int32_t X = static_cast<int32_t>(labels.size());

  // values[i - 1][j - 1]: value j of series i. The maximum is kept whole,
  // rounded as each larger value comes.
  std::vector<std::vector<double>> values;
  double maximum = 0;
  for (int32_t i = 1; i <= series; ++i) {
    const vb::Array parts = vb::Split(vb::CStr(ChartCell(p_TableArray, i, 1)), u",");
    std::vector<double> row;
    for (int32_t j = 1; j <= X; ++j) {
      const double v = vb::CDbl(parts.Get({j - 1}));
      if (v > maximum) maximum = vb::RoundHalfEven(v);
      row.push_back(v);
    }
    values.push_back(std::move(row));
  }
  const double top = chart::ScaleTop(maximum);
  const double gstep = top / 5;
  // One label has no step between positions: it stands at the Y axis.
  const double xstep = X == 1 ? 20000.0 : 20000.0 / (X - 1);

  const vb::String box = N(p_TableLeft) + u"px;top:" + p_TableTop + u"px;WIDTH:" + N(p_AllWidth) + u"px;HEIGHT:" +
                         N(p_AllHeight) + u"px;'";
  vb::String out = Script(series);
  out += u"<v:rect id='background' style='position:absolute;left:" + box +
         u" fillcolor='#EFEFEF' strokecolor='gray'>" + u" <v:shadow on='t' type='single' color='silver' "
         u"offset='4pt,4pt'/>" + u"</v:rect>";
  out += u"<v:group ID='table' style='position:absolute;left:" + box + u" coordsize = '27500,12800'>";
  out += u" <v:Rect style='position:relative;left:1500;top:200;width:23000;height:800'filled='false' "
         u"stroked='f'>" u" <v:TextBox inset='0pt,0pt,0pt,0pt'>"
         u" <table width='100%' border='0' align='center' cellspacing='0'>" u" <tr>"
         u" <td align='center' valign='middle'><div style='font-size:15pt; font-family:黑体;'><B>" +
         p_TableTitle + u"</B></div></td>" + u" </tr>" + u" </table>" + u" </v:TextBox>" + u" </v:Rect> ";
  out += u" <v:rect id='back' style='position:relative;left:1700;top:1200;width:20500; height:10500;' "
         u"fillcolor='#9cf' strokecolor='#DFDFDF'>"
         u" <v:fill rotate='t' angle='-45' focus='100%' type='gradient'/>"
         u" </v:rect>";
  out += u" <v:rect id='back2' style='position:relative;left:23000;top:1200;width:4000; height:10500;' "
         u"fillcolor='#9cf' stroked='t' strokecolor='#0099ff'>"
         u" <v:fill rotate='t' angle='-175' focus='100%' type='gradient'/>"
         u" <v:shadow on='t' type='single' color='silver' offset='3pt,3pt'/>"
         u" </v:rect>";

  for (int32_t i = 1; i <= series; ++i) {
    const vb::String& strong = colors.strong[ChartColorIndex(i)];
    const vb::String n = N(i), display = i == 1 ? u"" : u"none";
    const double y = (i - 1) * 10200.0 / series;
    out += u" <div style='cursor:hand;' onmouseover='moveon(rec" + n + u",line_" + n + u")' onmouseout='moveout(rec" +
           n + u",line_" + n + u"," + n + u")' onclick='clickit(" + n + u")'>";
    out += u" <v:Rect id='rec" + n + u"' style='position:relative;left:23100;top:" + N(y + 1450) +
           u";width:3800;height:800;display:" + display + u";' fillcolor='#efefef' strokecolor='" + strong + u"'>" +
           u" <v:fill opacity='.6' color2='fill darken(118)' o:opacity2='.6' rotate='t' method='linear sigma' "
           u"focus='100%' type='gradient'/>" + u" </v:Rect>";
    out += u" <v:Rect style='position:relative;left:23200;top:" + N(y + 1500) + u";width:600;height:700' fillcolor='" +
           strong + u"' stroked='f'/>";
    out += u" <v:Rect style='position:relative;left:24000;top:" + N(y + 1500) +
           u";width:3400;height:700' filled='f' stroked='f'>" +
           u" <v:TextBox inset='0pt,4pt,0pt,0pt' style='font-size:9pt;'><div align='left'>" +
           ChartText(ChartCell(p_TableArray, i, 2)) + u"</div></v:TextBox>" + u" </v:Rect> " + u" </div> ";
  }

  out += u" <v:line ID='X' from='1700,11700' to='22700,11700' style='z-index:2' strokecolor='#000000' "
         u"strokeWeight=1pt><v:stroke EndArrow='Classic'/></v:line>";
  out += UnitText(u"left:22200;top:11900;width:2000;height:500", u"left", p_UnitXTitle);
  for (int32_t n = 0; n <= 4; ++n) {
    const int32_t a = 2000 * n;
    out += FrameLine(Point(1300, a + 1700), Point(1700, a + 1700), u"#000000");
    out += FrameLine(Point(1700, a + 1700), Point(2200, a + 1200), u"#0099FF");
    out += FrameLine(Point(2200, a + 1200), Point(22200, a + 1200), u"#0099FF");
    out += FrameLine(Point(2200, a + 2200), Point(22200, a + 2200), u"#0099FF", u" <v:stroke dashstyle='Dot'/> ");
    out += UnitText(u"left:100;top:" + N(a + 1250) + u";width:1500;height:500", u"right", N((5 - n) * gstep));
  }
  out += u" <v:line ID='Y' from='1700,900' to='1700,11700' style='z-index:2' strokecolor='#000000' "
         u"strokeWeight=1pt><v:stroke StartArrow='Classic'/></v:line>";
  out += UnitText(u"left:100;top:700;width:1500;height:500", u"right", p_UnitYTitle);
  out += FrameLine(u"2200,11200", u"22200,11200", u"#0099FF") + FrameLine(u"2200,1200", u"2200,11200", u"#0099FF") +
         FrameLine(u"1700,11700", u"2200,11200", u"#0099FF");

  for (int32_t j = 0; j <= X - 1; ++j) {
    const double x = j * xstep;
    const vb::StringView dotted = u"<v:stroke dashstyle='ShortDot'/>";
    out += FrameLine(Point(x + 1700, 11700), Point(x + 1700, 12000), u"#000000");
    out += FrameLine(Point(x + 1700, 11700), Point(x + 2200, 11200), u"#0099FF", dotted);
    out += FrameLine(Point(x + 2200, 1200), Point(x + 2200, 11200), u"#0099FF", dotted);
    out += UnitText(u"left:" + N(x + 1700 - xstep / 2) + u";top:12100;width:" + N(xstep) + u";height:500", u"center",
                    labels[j]);
  }

  for (int32_t i = 1; i <= series; ++i) {
    const vb::String& strong = colors.strong[ChartColorIndex(i)];
    const vb::String z = N(Int16(int64_t{10} * i));
    out += u" <div id='line_" + N(i) + u"' style='display:" + (i == 1 ? u"" : u"none") + u";'>";
    auto height = [&](int32_t j) { return vb::RoundHalfEven(10000 * values[i - 1][j] / top); };
    for (int32_t j = 0; j <= X - 2; ++j) {
      out += u" <v:line from='" + N(1850 + j * xstep) + u"," + N(10000 - height(j) + 1550) + u"' to='" +
             N(1850 + (j + 1) * xstep) + u"," + N(10000 - height(j + 1) + 1550) + u"'style='z-index:" + z +
             u";' strokeweight='0.1pt' strokecolor='" + strong + u"'>" +
             u" <o:extrusion v:ext='view' backdepth='12pt' on='t' lightposition='-50000,-50000' "
             u"lightposition2='50000'/>" + u" </v:line>";
    }
    out += u" </div>";
  }
  out += u"</v:group>";
  return out;
}

}  // namespace qe
