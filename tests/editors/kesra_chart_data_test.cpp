// What the VML charts share: the page head, the colour tables, the scale top
// and the numbers written into the markup.
#include <gtest/gtest.h>

#include "editors/kesra_chart_data.h"
#include "platform/chart/chart_scale.h"
#include "platform/vb/error.h"

namespace {

TEST(KesraTableChartHeader, IsOneLineWithItsBlanksBeforeHeadEndAndBody) {
  EXPECT_EQ(qe::KesraTableChartHeader(),
            u"<html xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
            u"<head><!--[if !mso]><style>v\\:* { behavior: url(#default#VML) }o\\:* { behavior: url(#default#VML) }"
            u".shape { behavior: url(#default#VML) }td { font-size: 9pt}</style><![endif]--> </head> <body>");
}

TEST(KesraChartInitColors, SevenPairsAndTheEighthItemRepeatsTheFirst) {
  const qe::ChartColors colors = qe::KesraChartInitColors();
  EXPECT_EQ(colors.light[0], u"");
  EXPECT_EQ(colors.strong[0], u"");
  EXPECT_EQ(colors.light[1], u"#d1ffd1");
  EXPECT_EQ(colors.strong[1], u"#00ff00");
  EXPECT_EQ(colors.light[7], u"#ecffb7");
  EXPECT_EQ(colors.strong[7], u"#99cc00");
  const int expected[] = {1, 2, 3, 4, 5, 6, 7, 1, 2, 7, 1};
  const int items[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 14, 15};
  for (size_t i = 0; i < std::size(items); ++i) EXPECT_EQ(qe::ChartColorIndex(items[i]), expected[i]) << items[i];
}

TEST(ChartScaleTop, TheSecondDigitChoosesTheNextHalfOrWhole) {
  const std::pair<double, double> cases[] = {
      {0, 5},        {-20, 5},      {4.9, 5},       {5, 10},        {9.5, 10},       {10, 15},
      {34, 35},      {35, 40},      {99, 100},      {100, 150},     {3400, 3500},    {3499, 3500},
      {3500, 4000},  {3700, 4000},  {12345, 15000}, {40000, 45000}, {95000, 100000}, {1e15, 1.5e15}};
  for (const auto& [maximum, top] : cases) EXPECT_EQ(chart::ScaleTop(maximum), top) << maximum;
}

TEST(ChartDecimalText, FifteenDigitsAlwaysPlain) {
  const std::pair<double, const char16_t*> cases[] = {
      {0, u"0"},
      {-0.0, u"0"},
      {140, u"140"},
      {107.5, u"107.5"},
      {-2.5, u"-2.5"},
      {200 * 0.19999999999999996, u"40"},
      {0.1 + 0.2, u"0.3"},
      {1e-5, u"0.00001"},
      {-1.25e-7, u"-0.000000125"},
      {1e15, u"1000000000000000"},
      {123456789012345678.0, u"123456789012346000"},
      {2.0 / 3, u"0.666666666666667"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(chart::DecimalText(value), text) << value;
  EXPECT_THROW(chart::DecimalText(1.0 / 0.0), vb::Error);
}

TEST(ChartGridSteps, FiveRowsAndOneForPlotsTooSmallForAStep) {
  auto rows = [](int16_t extent) {
    std::vector<int32_t> out;
    qe::ForEachGridStep(extent, [&](int32_t i) { out.push_back(i); });
    return out;
  };
  EXPECT_EQ(rows(100), (std::vector<int32_t>{0, 20, 40, 60, 80}));
  EXPECT_EQ(rows(101), (std::vector<int32_t>{0, 20, 40, 60, 80, 100}));
  EXPECT_EQ(rows(3), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(rows(2), (std::vector<int32_t>{0}));
  EXPECT_EQ(rows(1), (std::vector<int32_t>{0}));
  EXPECT_EQ(rows(0), (std::vector<int32_t>{}));
  EXPECT_EQ(rows(-50), (std::vector<int32_t>{}));
  EXPECT_EQ(rows(32767).size(), 6u);  // 0 to 32765 in steps of 6553
}

}  // namespace
