// The interactive line chart: its exact text with two series, the scale and
// heights read back, and the mended edges (one label, large values, empty
// tables). Its client behaviour runs in tests/browser/suites/charts.mjs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editors/chart_markup.h"
#include "editors/kesra_chart_interactive.h"
#include "support/vml_reader.h"

namespace {

using namespace chart_test;
using qe_test::ReadTags;
using qe_test::Tag;
using qe_test::ValueTable;

vb::String Chart(vb::Variant table, const char16_t* title = u"<b>成绩</b>", const char16_t* unit_x = u"月",
                 const char16_t* unit_y = u"分") {
  return qe::KesraTableChart4(table, 10, u"5", 550, 256, title, unit_x, unit_y);
}

std::string Script(const std::string& n) {
  return "<script language=\"JavaScript\">var showit = new Array(" + n +
         ");function moveon(iteam,lineit){p_Temp=eval(iteam);templine=eval(lineit);if(showit[1]){"
         "rec1.style.display = \"\";line_1.style.display = \"\";}else{rec1.style.display = \"none\";"
         "line_1.style.display = \"none\";} p_Temp.style.display = \"\";templine.style.display = \"\";}"
         "function moveout(iteam,lineit,p_i){p_Temp=eval(iteam);templine=eval(lineit);if (showit[p_i]){"
         "p_Temp.style.display = \"\";templine.style.display = \"\";}else{p_Temp.style.display = \"none\";"
         "templine.style.display = \"none\";}}function clickit(p_i){if (showit[p_i]){showit[p_i]=false}else{"
         "showit[p_i]=true} }</script>";
}

std::string TextRect(const std::string& place, const std::string& align, const std::string& text) {
  return " <v:Rect style='position:relative;" + place + "' filled='false' stroked='false'> <v:TextBox "
         "inset='0pt,0pt,0pt,0pt' style='font-size:9pt;'><div align='" + align + "'>" + text +
         "</div></v:TextBox> </v:Rect> ";
}

std::string Entry(const std::string& i, const std::string& frame_top, const std::string& top,
                  const std::string& display, const std::string& colour, const std::string& name) {
  return " <div style='cursor:hand;' onmouseover='moveon(rec" + i + ",line_" + i + ")' onmouseout='moveout(rec" + i +
         ",line_" + i + "," + i + ")' onclick='clickit(" + i + ")'> <v:Rect id='rec" + i +
         "' style='position:relative;left:23100;top:" + frame_top + ";width:3800;height:800;display:" + display +
         ";' fillcolor='#efefef' strokecolor='" + colour + "'> <v:fill opacity='.6' color2='fill darken(118)' "
         "o:opacity2='.6' rotate='t' method='linear sigma' focus='100%' type='gradient'/> </v:Rect>"
         " <v:Rect style='position:relative;left:23200;top:" + top + ";width:600;height:700' fillcolor='" + colour +
         "' stroked='f'/> <v:Rect style='position:relative;left:24000;top:" + top +
         ";width:3400;height:700' filled='f' stroked='f'> <v:TextBox inset='0pt,4pt,0pt,0pt' "
         "style='font-size:9pt;'><div align='left'>" + name + "</div></v:TextBox> </v:Rect>  </div> ";
}

std::string Segment(const std::string& from, const std::string& to, const std::string& z, const std::string& colour) {
  return " <v:line from='" + from + "' to='" + to + "'style='z-index:" + z +
         ";' strokeweight='0.1pt' strokecolor='" + colour + "'> <o:extrusion v:ext='view' backdepth='12pt' on='t' "
         "lightposition='-50000,-50000' lightposition2='50000'/> </v:line>";
}

vb::Variant TwoSeries() {
  return ValueTable({{vb::Variant(), u"一月,二月,三月"}, {vb::Variant(), u"30,45,60", u"甲"},
                     {vb::Variant(), u"80.4,20,55,999", u"<i>乙</i>"}});
}

TEST(KesraTableChart4, TextWithTwoSeries) {
  std::string expected =
      Script("2") +
      "<v:rect id='background' style='position:absolute;left:10px;top:5px;WIDTH:550px;HEIGHT:256px;' "
      "fillcolor='#EFEFEF' strokecolor='gray'> <v:shadow on='t' type='single' color='silver' offset='4pt,4pt'/>"
      "</v:rect><v:group ID='table' style='position:absolute;left:10px;top:5px;WIDTH:550px;HEIGHT:256px;' "
      "coordsize = '27500,12800'> <v:Rect style='position:relative;left:1500;top:200;width:23000;height:800'"
      "filled='false' stroked='f'> <v:TextBox inset='0pt,0pt,0pt,0pt'> <table width='100%' border='0' "
      "align='center' cellspacing='0'> <tr> <td align='center' valign='middle'><div style='font-size:15pt; "
      "font-family:黑体;'><B><b>成绩</b></B></div></td> </tr> </table> </v:TextBox> </v:Rect> "
      " <v:rect id='back' style='position:relative;left:1700;top:1200;width:20500; height:10500;' fillcolor='#9cf' "
      "strokecolor='#DFDFDF'> <v:fill rotate='t' angle='-45' focus='100%' type='gradient'/> </v:rect>"
      " <v:rect id='back2' style='position:relative;left:23000;top:1200;width:4000; height:10500;' "
      "fillcolor='#9cf' stroked='t' strokecolor='#0099ff'> <v:fill rotate='t' angle='-175' focus='100%' "
      "type='gradient'/> <v:shadow on='t' type='single' color='silver' offset='3pt,3pt'/> </v:rect>" +
      Entry("1", "1450", "1500", "", "#00ff00", "甲") + Entry("2", "6550", "6600", "none", "#ff0000", "<i>乙</i>") +
      " <v:line ID='X' from='1700,11700' to='22700,11700' style='z-index:2' strokecolor='#000000' "
      "strokeWeight=1pt><v:stroke EndArrow='Classic'/></v:line>" +
      TextRect("left:22200;top:11900;width:2000;height:500", "left", "月");
  const char* labels[] = {"85", "68", "51", "34", "17"};
  for (int n = 0; n < 5; ++n) {
    const std::string a1700 = std::to_string(2000 * n + 1700), a1200 = std::to_string(2000 * n + 1200);
    expected += " <v:line from='1300," + a1700 + "' to='1700," + a1700 +
                "' style='z-index:2' strokecolor='#000000'></v:line> <v:line from='1700," + a1700 + "' to='2200," +
                a1200 + "' style='z-index:2' strokecolor='#0099FF'></v:line> <v:line from='2200," + a1200 +
                "' to='22200," + a1200 + "' style='z-index:2' strokecolor='#0099FF'></v:line> <v:line from='2200," +
                std::to_string(2000 * n + 2200) + "' to='22200," + std::to_string(2000 * n + 2200) +
                "' style='z-index:2' strokecolor='#0099FF'> <v:stroke dashstyle='Dot'/> </v:line>" +
                TextRect("left:100;top:" + std::to_string(2000 * n + 1250) + ";width:1500;height:500", "right",
                         labels[n]);
  }
  expected += " <v:line ID='Y' from='1700,900' to='1700,11700' style='z-index:2' strokecolor='#000000' "
              "strokeWeight=1pt><v:stroke StartArrow='Classic'/></v:line>" +
              TextRect("left:100;top:700;width:1500;height:500", "right", "分") +
              " <v:line from='2200,11200' to='22200,11200' style='z-index:2' strokecolor='#0099FF'></v:line>"
              " <v:line from='2200,1200' to='2200,11200' style='z-index:2' strokecolor='#0099FF'></v:line>"
              " <v:line from='1700,11700' to='2200,11200' style='z-index:2' strokecolor='#0099FF'></v:line>";
  const char* names[] = {"一月", "二月", "三月"};
  for (int j = 0; j < 3; ++j) {
    const std::string x1700 = std::to_string(10000 * j + 1700), x2200 = std::to_string(10000 * j + 2200);
    expected += " <v:line from='" + x1700 + ",11700' to='" + x1700 +
                ",12000' style='z-index:2' strokecolor='#000000'></v:line> <v:line from='" + x1700 + ",11700' to='" +
                x2200 + ",11200' style='z-index:2' strokecolor='#0099FF'><v:stroke dashstyle='ShortDot'/></v:line>"
                " <v:line from='" + x2200 + ",1200' to='" + x2200 +
                ",11200' style='z-index:2' strokecolor='#0099FF'><v:stroke dashstyle='ShortDot'/></v:line>" +
                TextRect("left:" + std::to_string(10000 * j - 3300) + ";top:12100;width:10000;height:500", "center",
                         names[j]);
  }
  // Heights 10000 × v / 85 rounded: 3529, 5294, 7059 and 9459, 2353, 6471.
  expected += " <div id='line_1' style='display:;'>" + Segment("1850,8021", "11850,6256", "10", "#00ff00") +
              Segment("11850,6256", "21850,4491", "10", "#00ff00") + " </div>" +
              " <div id='line_2' style='display:none;'>" + Segment("1850,2091", "11850,9197", "20", "#ff0000") +
              Segment("11850,9197", "21850,5079", "20", "#ff0000") + " </div></v:group>";
  EXPECT_EQ(Chart(TwoSeries()), S(expected));
}

std::vector<Tag> SeriesLines(const vb::String& chart) {
  std::vector<Tag> out;
  for (const Tag& t : ReadTags(chart))
    if (t.name == "v:line" && t.Attr("strokeweight") == "0.1pt") out.push_back(t);
  return out;
}

TEST(KesraTableChart4, HeightsGiveBackTheirValues) {
  const std::vector<double> values{0, 120, 37, 250, 199.5, 64};  // maximum 250: top 300
  std::u16string text;
  for (double v : values) text += (text.empty() ? u"" : u",") + vb::FromUtf8(std::to_string(v));
  const auto lines = SeriesLines(Chart(ValueTable({{vb::Variant(), u"a,b,c,d,e,f"}, {vb::Variant(), text, u"s"}})));
  ASSERT_EQ(lines.size(), 5u);
  for (size_t j = 0; j < lines.size(); ++j) {
    const auto from = lines[j].Numbers("from"), to = lines[j].Numbers("to");
    EXPECT_EQ(from[0], 1850 + 4000 * j);
    EXPECT_NEAR((11550 - from[1]) * 300 / 10000, values[j], 300 / 10000.0 / 2);
    EXPECT_NEAR((11550 - to[1]) * 300 / 10000, values[j + 1], 300 / 10000.0 / 2);
  }
}

TEST(KesraTableChart4, TheMaximumIsRoundedAsItComes) {
  // 4.6 rounds to 5: top 10 (the bar and line charts would take 5).
  EXPECT_NE(Chart(ValueTable({{vb::Variant(), u"a,b"}, {vb::Variant(), u"4.6,1", u"s"}})).find(u"<div align='right'>10<"),
            vb::String::npos);
  // Past 16 bits: 40000 gives the top 45000.
  const vb::String large = Chart(ValueTable({{vb::Variant(), u"a,b"}, {vb::Variant(), u"40000,-5", u"s"}}));
  EXPECT_NE(large.find(u"<div align='right'>45000<"), vb::String::npos);
  const auto lines = SeriesLines(large);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].Numbers("from")[1], 11550 - 8889);
  EXPECT_EQ(lines[0].Numbers("to")[1], 11550 + 1);  // below the axis
}

TEST(KesraTableChart4, OneLabelStandsAtTheYAxisWithoutSegments) {
  const vb::String chart = Chart(ValueTable({{vb::Variant(), u"唯一"}, {vb::Variant(), u"7", u"s"}}));
  EXPECT_NE(chart.find(u" <v:line from='1700,11700' to='1700,12000'"), vb::String::npos);
  EXPECT_NE(chart.find(u"left:-8300;top:12100;width:20000;height:500"), vb::String::npos);
  EXPECT_TRUE(SeriesLines(chart).empty());
  EXPECT_EQ(chart.find(u"Infinity"), vb::String::npos);
}

TEST(KesraTableChart4, EmptyLabelsAndSeries) {
  // No labels: no X position and no segment; no series: an empty showit.
  vb::String chart = Chart(ValueTable({{vb::Variant(), u""}, {vb::Variant(), u"", u"s"}}));
  EXPECT_EQ(chart.find(u"12000'"), vb::String::npos);
  EXPECT_TRUE(SeriesLines(chart).empty());
  chart = Chart(ValueTable({{vb::Variant(), u"a,b"}}));
  EXPECT_NE(chart.find(u"new Array(0);"), vb::String::npos);
  EXPECT_EQ(chart.find(u"line_1'"), vb::String::npos);
  EXPECT_EQ(ErrorOf([] { Chart(ValueTable({})); }), vb::kSubscriptOutOfRange);
}

TEST(KesraTableChart4, FailuresOfShortSeriesAndValues) {
  EXPECT_EQ(ErrorOf([] { Chart(ValueTable({{vb::Variant(), u"a,b,c"}, {vb::Variant(), u"1,2", u"s"}})); }),
            vb::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { Chart(ValueTable({{vb::Variant(), u"a,b"}, {vb::Variant(), u"1,x", u"s"}})); }),
            vb::kTypeMismatch);
  // The top is only copied: any text does.
  vb::Variant table = TwoSeries();
  EXPECT_NE(qe::KesraTableChart4(table, 0, u"auto", 1, 1, u"", u"", u"").find(u"left:0px;top:autopx;WIDTH:1px"),
            vb::String::npos);
}

TEST(KesraTableChart4, TheZIndexOverflowsPast3276Series) {
  std::vector<std::vector<vb::Variant>> rows{{vb::Variant(), u"a,b"}};
  for (int i = 0; i < 3277; ++i) rows.push_back({vb::Variant(), u"1,2", u"s"});
  EXPECT_EQ(ErrorOf([&] { Chart(ValueTable(rows)); }), vb::kOverflow);
  rows.pop_back();
  EXPECT_EQ(ErrorOf([&] { Chart(ValueTable(rows)); }), 0);
}

}  // namespace
