// The VML bar chart: its exact texts for columns, horizontal bars and other
// types, and its geometry read back from the markup.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "editors/chart_markup.h"
#include "editors/kesra_chart_bar.h"
#include "support/vml_reader.h"

namespace {

using namespace chart_test;
using qe_test::ReadTags;
using qe_test::Tag;
using qe_test::ValueTable;

vb::Variant TwoRows() { return ValueTable({{}, {0, 3, u"甲"}, {0, 8, u"<b>乙</b>"}}); }

vb::String Chart(vb::Variant table, const char16_t* type, int16_t left = 10, const char16_t* top = u"20",
                 int16_t thickness = 10, int16_t width = 20, int16_t all_width = 200, int16_t all_height = 100) {
  return qe::KesraTableChart1(table, left, top, thickness, width, all_width, all_height, type);
}

// Background and axes of the chart at L 10, T "20", AW 200, AH 100.
vb::String Frame() {
  return S("<!--[if gte vml 1]><v:rect id='_x0000_s1027' title='' style='position:absolute;left:80px;top:20px;"
           "width:200px;height:100px;z-index:-1' fillcolor='#9cf' stroked='f'><v:fill rotate='t' angle='-45' "
           "focus='100%' type='gradient'/></v:rect><![endif]-->") +
         Line("80", "120", "280", "120") + Line("80", "20", "80", "120");
}

vb::String Bar(const std::string& left, const std::string& top, const std::string& width, const std::string& height,
               const std::string& strong, const std::string& fill) {
  return S("<v:rect id='_x0000_s1025' title='' style='position:absolute;left:" + left + "px;top:" + top +
           "px;width:" + width + "px;height:" + height + "px;z-index:1' fillcolor='" + strong + "'>" + fill +
           "<o:extrusion v:ext='view' backdepth='10pt' color='" + strong + "' on='t'/></v:rect>");
}

TEST(KesraTableChart1, ColumnsText) {
  vb::String expected = Frame() + GridLine("85", "20", "85", "115");
  const char* labels[] = {"10", "8", "6", "4", "2"};
  for (int n = 0; n < 5; ++n) {
    const int i = 20 * n;
    expected += GridLine("80", std::to_string(115 - i), "85", std::to_string(120 - i)) +
                GridLine("85", std::to_string(115 - i), "280", std::to_string(115 - i)) +
                Line("65", std::to_string(20 + i), "80", std::to_string(20 + i)) +
                GridLabel("10", std::to_string(20 + i), labels[n]);
  }
  expected += Bar("120", "90", "20", "30", "#00ff00", "<v:fill color2='#d1ffd1' rotate='t' type='gradient'/>") +
              Box("120", "70", "95") + Cell("center", "3") + Box("80", "121", "100") + Cell("center", "甲");
  expected += Bar("220", "40", "20", "80", "#ff0000", "<v:fill color2='#ffbbbb' rotate='t' type='gradient'/>") +
              Box("220", "20", "95") + Cell("center", "8") + Box("180", "121", "100") +
              Cell("center", "<b>乙</b>");
  EXPECT_EQ(Chart(TwoRows(), u"A"), expected);
}

TEST(KesraTableChart1, HorizontalBarsText) {
  vb::String expected = Frame() + GridLine("85", "115", "280", "115");
  for (int n = 0; n < 5; ++n) {
    const int i = 40 * n;
    expected += GridLine(std::to_string(80 + i), "115", std::to_string(85 + i), "120") +
                GridLine(std::to_string(85 + i), "115", std::to_string(85 + i), "20") +
                Line(std::to_string(120 + i), "120", std::to_string(120 + i), "135") +
                GridLabel(std::to_string(50 + i), "120", std::to_string(2 * (n + 1)));
  }
  const std::string fill = "' rotate='t' angle='-90' focus='100%' type='gradient'/>";
  expected += Bar("80", "35", "60", "20", "#00ff00", "<v:fill color2='#d1ffd1" + fill) + Box("145", "35", "45") +
              Cell("center", "3") + Box("10", "35", "70") + Cell("right", "甲");
  expected += Bar("80", "85", "160", "20", "#ff0000", "<v:fill color2='#ffbbbb" + fill) + Box("245", "85", "45") +
              Cell("center", "8") + Box("10", "85", "70") + Cell("right", "<b>乙</b>");
  EXPECT_EQ(Chart(TwoRows(), u"B"), expected);
}

TEST(KesraTableChart1, OtherTypesDrawTheFrameOnly) {
  for (const char16_t* type : {u"a", u"", u"C", u"AB", u" A"}) EXPECT_EQ(Chart(TwoRows(), type), Frame());
}

// Rows 1..n with the values given, labels "r1", "r2", ...
vb::Variant Rows(const std::vector<double>& values) {
  std::vector<std::vector<vb::Variant>> rows{{}};
  for (size_t i = 0; i < values.size(); ++i)
    rows.push_back({vb::Variant(), values[i], vb::FromUtf8("r" + std::to_string(i + 1))});
  return ValueTable(rows);
}

std::vector<Tag> BarsOf(const vb::String& chart) {
  std::vector<Tag> bars;
  for (const Tag& t : ReadTags(chart))
    if (t.name == "v:rect" && t.Attr("id") == "_x0000_s1025") bars.push_back(t);
  return bars;
}

TEST(KesraTableChart1, ColumnsStandOnTheAxisInTheValuesRatioInOrder) {
  const std::vector<double> values{12.5, 0, 37, 21.25, 40, 3, 7.75, 19, 28};  // top 45
  const int16_t L = 30, AW = 500, AH = 260, W = 24;
  const double T = 15.5;
  const auto bars = BarsOf(Chart(Rows(values), u"A", L, u"15.5", 8, W, AW, AH));
  ASSERT_EQ(bars.size(), values.size());
  double previous = -1;
  for (size_t i = 0; i < bars.size(); ++i) {
    SCOPED_TRACE(i);
    const Tag& bar = bars[i];
    EXPECT_NEAR(bar.Px("top") + bar.Px("height"), T + AH, 1e-9);
    EXPECT_NEAR(bar.Px("height") / AH, values[i] / 45, 1e-12);
    EXPECT_EQ(bar.Px("width"), W);
    EXPECT_GE(bar.Px("left"), L + 70);
    EXPECT_LE(bar.Px("left") + W, L + 70 + AW);
    EXPECT_GE(bar.Px("top"), T);
    EXPECT_GT(bar.Px("left"), previous);
    previous = bar.Px("left");
  }
  EXPECT_EQ(bars[7].Attr("fillcolor"), bars[0].Attr("fillcolor"));  // the eighth repeats the first
}

TEST(KesraTableChart1, HorizontalBarsStartAtTheAxisInTheValuesRatio) {
  const std::vector<double> values{45, 9, 30};  // top 50
  const int16_t L = 0, AW = 400, AH = 300, W = 30;
  const auto bars = BarsOf(Chart(Rows(values), u"B", L, u"7", 4, W, AW, AH));
  ASSERT_EQ(bars.size(), 3u);
  double previous = -1;
  for (size_t i = 0; i < bars.size(); ++i) {
    EXPECT_EQ(bars[i].Px("left"), L + 70);
    EXPECT_NEAR(bars[i].Px("width") / AW, values[i] / 50, 1e-12);
    EXPECT_EQ(bars[i].Px("height"), W);
    EXPECT_GT(bars[i].Px("top"), previous);
    EXPECT_LE(bars[i].Px("top") + W, 7 + AH);
    previous = bars[i].Px("top");
  }
}

// The value grid's labels, read from the boxes at the left of the plot.
TEST(KesraTableChart1, GridLabelsReadTopTimesOneLessKFifthsAtTheirSteps) {
  const auto tags = ReadTags(Chart(Rows({730}), u"A", 0, u"0", 10, 20, 300, 250));  // top 750, step 50
  int k = 0;
  for (size_t i = 0; i < tags.size(); ++i) {
    if (tags[i].name != "v:shape" || tags[i].Px("left") != 0 || tags[i].Px("width") != 70) continue;
    EXPECT_EQ(tags[i].Px("top"), 50 * k);
    EXPECT_NEAR(std::stod(tags[i + 4].text), 750 * (1 - k / 5.0), 1e-9);  // the label's cell
    ++k;
  }
  EXPECT_EQ(k, 5);
}

TEST(KesraTableChart1, AValueOfHalfTheTopReachesHalfThePlot) {
  const auto bars = BarsOf(Chart(Rows({4, 5}), u"A"));  // the maximum 5 gives the top 10
  EXPECT_EQ(bars[1].Px("top"), 70);
  EXPECT_EQ(bars[1].Px("height"), 50);
}

TEST(KesraTableChart1, EmptyTablesDrawFrameAndGrid) {
  const vb::Variant header_only = ValueTable({{u"不读"}});
  const vb::Variant no_rows = ValueTable({});
  for (const vb::Variant& table : {header_only, no_rows}) {
    for (const char16_t* type : {u"A", u"B"}) {
      const vb::String chart = Chart(table, type);
      EXPECT_TRUE(BarsOf(chart).empty());
      EXPECT_EQ(chart.substr(0, Frame().size()), Frame());
      EXPECT_NE(chart.find(u"<td align='right'>"), vb::String::npos) << "grid labels";
      EXPECT_EQ(chart.find(u"nan"), vb::String::npos);
    }
  }
}

TEST(KesraTableChart1, NegativeValuesStandAtZeroShowingTheirValue) {
  vb::String chart = Chart(Rows({-4, 8}), u"A");
  auto bars = BarsOf(chart);
  EXPECT_EQ(bars[0].Px("height"), 0);
  EXPECT_EQ(bars[0].Px("top"), 120);  // on the axis, T + AH
  EXPECT_NE(chart.find(Box("120", "100", "95") + Cell("center", "-4")), vb::String::npos);
  chart = Chart(Rows({-4, 8}), u"B");
  bars = BarsOf(chart);
  EXPECT_EQ(bars[0].Px("width"), 0);
  EXPECT_NE(chart.find(Box("85", "35", "45") + Cell("center", "-4")), vb::String::npos);
}

TEST(KesraTableChart1, PlotsOfOneAndTwoPixelsGetOneGridRow) {
  for (int16_t size : {1, 2}) {
    const vb::String columns = Chart(Rows({3}), u"A", 10, u"20", 10, 20, 200, size);
    EXPECT_EQ(qe_test::TagsNamed(ReadTags(columns), "v:shape").size(), 1u + 2u) << "one grid label, two item boxes";
    const vb::String bars = Chart(Rows({3}), u"B", 10, u"20", 10, 20, size, 100);
    EXPECT_EQ(qe_test::TagsNamed(ReadTags(bars), "v:shape").size(), 1u + 2u);
  }
}

TEST(KesraTableChart1, SixteenBitSumsAndTextsThatAreNoNumbersFail) {
  EXPECT_EQ(ErrorOf([] { Chart(TwoRows(), u"A", 32700); }), vb::kOverflow);             // L + Mg
  EXPECT_EQ(ErrorOf([] { Chart(TwoRows(), u"C", 32000, u"0", 1, 1, 700); }), vb::kOverflow);  // L + AW + Mg
  EXPECT_EQ(ErrorOf([] { Chart(Rows(std::vector<double>(2000, 1)), u"A", 0, u"0", 1, 20); }), vb::kOverflow);  // N × W
  EXPECT_EQ(ErrorOf([] { Chart(TwoRows(), u"A", 0, u"abc"); }), vb::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Chart(TwoRows(), u"A", 0, u""); }), vb::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Chart(ValueTable({{}, {0, u"many", u"x"}}), u"A"); }), vb::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Chart(vb::Variant(u"not an array"), u"A"); }), vb::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Chart(ValueTable({{}, {0}}), u"A"); }), vb::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { Chart(Rows({3}), u"A", 0, u" 12.5 "); }), 0);
}

TEST(KesraTableChart1, TopIsCopiedAsGivenWhereItIsOnlyCopied) {
  const vb::String chart = Chart(TwoRows(), u"A", 10, u"20.0");
  EXPECT_NE(chart.find(u"top:20.0px;width:200px"), vb::String::npos);
  EXPECT_NE(chart.find(u"from='80px,20.0px' to='80px,120px'"), vb::String::npos);
}

}  // namespace
