// The VML line chart: its exact text, each dash and marker code, empty
// tables, and points that give back their values.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editors/chart_markup.h"
#include "editors/kesra_chart_line.h"
#include "support/vml_reader.h"

namespace {

using namespace chart_test;
using qe_test::ReadTags;
using qe_test::Tag;
using qe_test::ValueTable;

const std::string kLn =
    "<v:line id='_x0000_s1027' title='' style='position:absolute;left:0;text-align:left;top:0;flip:y;z-index:-1' "
    "from='";

vb::String Chart(vb::Variant table, int16_t series, int16_t left = 10, const char16_t* top = u"20",
                 int16_t all_width = 200, int16_t all_height = 100) {
  return qe::KesraTableChart2(table, left, top, all_width, all_height, series);
}

vb::String Shape(const std::string& left, const std::string& top, const std::string& size) {
  return S("<v:shape id='_x0000_s1025' type='#_x0000_t202' title='' style='position:absolute;left:" + left + "px;top:" +
           top + "px;" + size + ";z-index:1'>");
}

vb::String Segment(const std::string& from, const std::string& to, const std::string& colour,
                   const std::string& weight, const std::string& dash) {
  return S("<v:line id=\"_x0000_s1025\" title=\"\" style='position:absolute;left:0;text-align:left;top:0;z-index:1' "
           "from=\"" + from + "\" to=\"" + to + "\" coordsize=\"21600,21600\" strokecolor=\"" + colour +
           "\" strokeweight=\"" + weight + "\">" + dash + "</v:line>\r");
}

vb::String Square(const std::string& left, const std::string& top, const std::string& colour) {
  return S("<v:rect id=\"_x0000_s1027\" style='position:absolute;left:" + left + "px;top:" + top +
           "px;width:4px;height:4px; z-index:2' fillcolor=\"" + colour + "\" strokecolor=\"" + colour + "\"/>\r");
}

vb::String Circle(const std::string& left, const std::string& top, const std::string& colour) {
  return S("<v:oval id=\"_x0000_s1026\" style='position:absolute;left:" + left + "px;top:" + top +
           "px;width:4px;height:4px;z-index:1' fillcolor=\"" + colour + "\" strokecolor=\"" + colour + "\"/>\r");
}

vb::String Legend(const std::string& top, const std::string& text, const std::string& swatch_top,
                  const std::string& colour) {
  return Shape("295", top, "width:60px;height:30px") + Cell("left", text) +
         S("<v:rect id='_x0000_s1040' title='' style='position:absolute;left:350px;top:" + swatch_top +
           "px;width:30px;height:20px;z-index:1' fillcolor='" + colour + "'><v:fill color2='" + colour +
           "' rotate='t' focus='100%' type='gradient'/></v:rect>");
}

// Background, grid and axes at L 10, T "20", AW 200, AH 100, the scale top 10 (or 5).
vb::String GridAndAxes(int top = 10) {
  vb::String out = S("<v:rect id='_x0000_s1027' title='' style='position:absolute;left:80px;top:20px;width:200px;"
                     "height:100px;z-index:-1' fillcolor='#9cf' stroked='f'><v:fill rotate='t' angle='-45' "
                     "focus='100%' type='gradient'/></v:rect>");
  for (int n = 0; n < 5; ++n) {
    const std::string down = std::to_string(120 - 20 * n), up = std::to_string(20 + 20 * n);
    out += S(kLn + "80px," + down + "px' to='280px," + down + "px' strokecolor='#69f'/>" + kLn + "65px," + up +
             "px' to='80px," + up + "px'/>") +
           Shape("10", up, "width:70px;height:18px") + Cell("right", std::to_string(top - top / 5 * n));
  }
  return out + S(kLn + "80px,120px' to='280px,120px'/>" + kLn + "80px,20px' to='80px,120px'/>");
}

vb::Variant TwoSeries() {
  return ValueTable({{vb::Variant(), u"#f00,2pt,2,2,收入", u"#00f,1.5pt,3,3,<i>支出</i>"},
                     {u"一月", 3, 8},
                     {u"二月", 6, 4}});
}

TEST(KesraTableChart2, Text) {
  const vb::String expected =
      GridAndAxes() +
      Segment("80px,90px", "180px,60px", "#f00", "2pt", "<v:stroke dashstyle='1 1'/>") + Square("78", "88", "#f00") +
      Square("178", "58", "#f00") +
      Segment("80px,40px", "180px,80px", "#00f", "1.5pt", "<v:stroke dashstyle='dash'/>") +
      Circle("78", "38", "#00f") + Circle("178", "78", "#00f") +
      S(kLn + "80px,120px' to='80px,135px'/>") + Shape("80", "120", "width:100px;height:18px") + Cell("left", "一月") +
      S(kLn + "180px,120px' to='180px,135px'/>") + Shape("180", "120", "width:100px;height:18px") +
      Cell("left", "二月") +
      S("<v:rect id='_x0000_s1025' style='position:absolute;left:290px;top:20px;width:100px;height:80px;z-index:1'/>") +
      Legend("30", "收入", "34", "#f00") + Legend("60", "<i>支出</i>", "64", "#00f");
  EXPECT_EQ(Chart(TwoSeries(), 2), expected);
}

vb::String OneSeries(const std::string& dash, const std::string& marker, int rows = 2) {
  std::vector<std::vector<vb::Variant>> table{{vb::Variant(), S("#123456,1pt," + dash + "," + marker + ",甲")}};
  for (int i = 1; i <= rows; ++i) table.push_back({S("x" + std::to_string(i)), 5});
  return Chart(ValueTable(table), 1);
}

TEST(KesraTableChart2, EachDashCode) {
  const std::pair<std::string, std::string> cases[] = {
      {"1", ""},
      {"2", "<v:stroke dashstyle='1 1'/>"},
      {"3", "<v:stroke dashstyle='dash'/>"},
      {"4", "<v:stroke dashstyle='dashDot'/>"},
      {"5", "<v:stroke dashstyle='longDash'/>"},
      {"6", "<v:stroke dashstyle='longDashDot'/>"},
      {"7", "<v:stroke dashstyle='longDashDotDot'/>"},
      {"0", ""},
      {"8", ""},
      {" 4.0", "<v:stroke dashstyle='dashDot'/>"},  // compared as numbers
  };
  for (const auto& [code, element] : cases) {
    SCOPED_TRACE(code);
    // Value 5 of top 10 at T 20, AH 100: y 70; points at x 80 and 180.
    const vb::String segment = Segment("80px,70px", "180px,70px", "#123456", "1pt", element);
    EXPECT_NE(OneSeries(code, "0").find(segment), vb::String::npos);
  }
}

TEST(KesraTableChart2, EachMarkerCode) {
  const vb::String segment = Segment("80px,70px", "180px,70px", "#123456", "1pt", "");
  const std::pair<std::string, vb::String> cases[] = {
      {"2", Square("78", "68", "#123456") + Square("178", "68", "#123456")},
      {"3", Circle("78", "68", "#123456") + Circle("178", "68", "#123456")},
      {"3.0", Circle("78", "68", "#123456") + Circle("178", "68", "#123456")},
      {"0", u""},
      {"1", u""},
      {"4", u""},
  };
  for (const auto& [code, markers] : cases) {
    SCOPED_TRACE(code);
    const vb::String chart = OneSeries("1", code);
    // The first point's marker follows its segment, the last point's comes after.
    const size_t at = chart.find(segment);
    ASSERT_NE(at, vb::String::npos);
    const vb::String after = chart.substr(at + segment.size(), markers.size());
    EXPECT_EQ(after, markers);
    if (markers.empty()) EXPECT_EQ(chart.find(u"width:4px;height:4px"), vb::String::npos);
  }
}

TEST(KesraTableChart2, SegmentsAndMarkersEndWithACarriageReturnAlone) {
  const vb::String chart = OneSeries("2", "3", 4);  // 3 segments, 4 markers
  EXPECT_EQ(std::count(chart.begin(), chart.end(), u'\r'), 7);
  EXPECT_EQ(chart.find(u'\n'), vb::String::npos);
}

TEST(KesraTableChart2, OneRowHasNoSegmentButItsMarker) {
  const vb::String chart = OneSeries("1", "2", 1);
  EXPECT_EQ(chart.find(u"<v:line id=\"_x0000_s1025\""), vb::String::npos);
  EXPECT_NE(chart.find(Square("78", "68", "#123456")), vb::String::npos);
}

TEST(KesraTableChart2, EmptyTablesDrawGridAxesAndLegend) {
  // Row 0 only: no point, tick or marker (row 0 holds the styles, not a point).
  vb::String chart = Chart(ValueTable({{vb::Variant(), u"#f00,1,1,2,甲"}}), 1);
  EXPECT_EQ(chart.substr(0, GridAndAxes(5).size()), GridAndAxes(5));
  EXPECT_EQ(chart.find(u"width:4px"), vb::String::npos);
  EXPECT_EQ(chart.find(u"135px"), vb::String::npos);
  EXPECT_NE(chart.find(Legend("30", "甲", "34", "#f00")), vb::String::npos);
  // No rows at all: without series it draws; a series' style is in row 0, which is missing.
  chart = Chart(ValueTable({}), 0);
  EXPECT_EQ(chart, GridAndAxes(5) + S("<v:rect id='_x0000_s1025' style='position:absolute;left:290px;top:20px;"
                                     "width:100px;height:20px;z-index:1'/>"));
  EXPECT_EQ(ErrorOf([] { Chart(ValueTable({}), 1); }), vb::kSubscriptOutOfRange);
}

TEST(KesraTableChart2, PlotsOfOneAndTwoPixelsGetOneGridRow) {
  for (int16_t height : {1, 2}) {
    const vb::String chart = Chart(TwoSeries(), 2, 10, u"20", 200, height);
    EXPECT_EQ(std::count(chart.begin(), chart.end(), u'\r'), 2 * (1 + 2)) << "each series: a segment and two markers";
    size_t labels = 0;
    for (const Tag& t : ReadTags(chart)) labels += t.name == "td" && t.attributes.at("align") == "right";
    EXPECT_EQ(labels, 1u) << height;
  }
}

TEST(KesraTableChart2, PointsGiveBackTheirValues) {
  const std::vector<double> first{12, -3, 27.5, 40, 0}, second{33, 18.25, 7, 41, 9};  // top 45
  std::vector<std::vector<vb::Variant>> table{{vb::Variant(), u"red,1,1,0,a", u"blue,1,1,0,b"}};
  for (size_t i = 0; i < first.size(); ++i) table.push_back({u"x", first[i], second[i]});
  const double T = 33, AH = 180, AW = 350;
  const vb::String chart = Chart(ValueTable(table), 2, 5, u"33", 350, 180);
  std::vector<Tag> segments;
  for (const Tag& t : ReadTags(chart))
    if (t.name == "v:line" && t.Attr("id") == "_x0000_s1025") segments.push_back(t);
  ASSERT_EQ(segments.size(), 8u);
  for (size_t s = 0; s < segments.size(); ++s) {
    const std::vector<double>& values = s < 4 ? first : second;
    const size_t i = s % 4;
    const auto from = segments[s].Numbers("from"), to = segments[s].Numbers("to");
    EXPECT_NEAR(45 - (from[1] - T) * 45 / AH, values[i], 1e-9);
    EXPECT_NEAR(45 - (to[1] - T) * 45 / AH, values[i + 1], 1e-9);
    EXPECT_NEAR(from[0], 75 + i * AW / 5, 1e-9);
  }
}

TEST(KesraTableChart2, FailuresOfStylesValuesAndSums) {
  auto with_style = [](const char16_t* style) {
    return [style] { Chart(ValueTable({{vb::Variant(), style}, {u"a", 1}}), 1); };
  };
  EXPECT_EQ(ErrorOf(with_style(u"#f00,1,1,2")), vb::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf(with_style(u"#f00,1,x,2,a")), vb::kTypeMismatch);
  EXPECT_EQ(ErrorOf(with_style(u"#f00,1,1,2,a,extra")), 0);
  EXPECT_EQ(ErrorOf([] { Chart(ValueTable({{vb::Variant(), u"c,1,1,1,a"}, {u"a", u"x"}}), 1); }), vb::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Chart(TwoSeries(), 2, 32600, u"0", 50); }), vb::kOverflow);  // L + AW + 140
  EXPECT_EQ(ErrorOf([] { Chart(TwoSeries(), 0, 32600, u"0", 50); }), 0);
  EXPECT_EQ(ErrorOf([] { Chart(TwoSeries(), 2, 0, u"top"); }), vb::kTypeMismatch);
}

}  // namespace
