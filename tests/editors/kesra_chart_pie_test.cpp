// The VML pie chart: its exact texts for the legend, the leader labels and
// other types; wedge angles, shares, totals and leaders read back.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "editors/chart_markup.h"
#include "editors/kesra_chart_pie.h"
#include "platform/vb/convert.h"
#include "support/vml_reader.h"

namespace {

using namespace chart_test;
using qe_test::ReadTags;
using qe_test::Tag;
using qe_test::ValueTable;

vb::String Chart(vb::Variant table, const char16_t* type, int16_t left = 0, const char16_t* top = u"20",
                 int16_t all_width = 200, int16_t all_height = 200) {
  return qe::KesraTableChart3(table, left, top, all_width, all_height, type);
}

vb::Variant Values(const std::vector<vb::Variant>& values) {
  std::vector<std::vector<vb::Variant>> rows{{}};
  for (size_t i = 0; i < values.size(); ++i) rows.push_back({vb::Variant(), values[i], S("第" + std::to_string(i + 1))});
  return ValueTable(rows);
}

vb::String Wedge(const std::string& start, const std::string& extent, const std::string& light,
                 const std::string& strong) {
  return S("<v:shape id='_x0000_s1025' title='' style='position:absolute;left:0px;top:20px;width:200px;"
           "height:200px;z-index:1' coordsize='1500,1400' o:spt='100' adj='0,,0' path='m750,700ae750,700,750,700," +
           start + "," + extent + "xe' fillcolor='" + light + "' strokecolor='#FFFFFF'><v:fill color2='" + strong +
           "' rotate='t' focus='100%' type='gradient'/><v:stroke joinstyle='round'/><v:formulas/>"
           "<v:path o:connecttype='segments'/></v:shape>\r");
}

vb::String TextShape(const std::string& left, const std::string& top, const std::string& size,
                     const std::string& text) {
  return S("<v:shape id='_x0000_s1025' type='#_x0000_t202' title='' style='position:absolute;left:" + left + "px;top:" +
           top + "px;" + size + ";z-index:1'>") + Cell("left", text);
}

vb::Variant OneAndThree() { return ValueTable({{}, {0, 1, u"甲"}, {0, 3, u"<b>乙</b>"}}); }

vb::String Wedges() {
  return Wedge("0", "5898240", "#d1ffd1", "#00ff00") + Wedge("5898240", "17694720", "#ffbbbb", "#ff0000");
}

TEST(KesraTableChart3, LegendText) {
  auto row = [](const std::string& y, const std::string& swatch_y, const std::string& name, const std::string& share,
                const std::string& light, const std::string& strong) {
    return TextShape("225", y, "width:60px;height:30px", name) +
           S("<v:rect id='_x0000_s1040' title='' style='position:absolute;left:280px;top:" + swatch_y +
             "px;width:30px;height:20px;z-index:1' fillcolor='" + light + "'><v:fill color2='" + strong +
             "' rotate='t' focus='100%' type='gradient'/></v:rect>") +
           TextShape("310", y, "width:60px;height:30px", share + "%");
  };
  EXPECT_EQ(Chart(OneAndThree(), u"A"),
            Wedges() +
                S("<v:rect id='_x0000_s1025' style='position:absolute;left:220px;top:40px;width:140px;height:80px;"
                  "z-index:1'/>") +
                row("50", "53", "甲", "25.00", "#d1ffd1", "#00ff00") +
                row("80", "83", "<b>乙</b>", "75.00", "#ffbbbb", "#ff0000"));
}

TEST(KesraTableChart3, LeaderLabelsText) {
  auto leader = [](const std::string& from, const std::string& to) {
    return S("<v:line id='_x0000_s1025' title='' style='position:absolute;left:0;text-align:left;top:0;z-index:1' "
             "from='" + from + "' to='" + to +
             "' coordsize='21600,21600' strokecolor='#111111' strokeweight='1px'></v:line>");
  };
  auto dot = [](const std::string& left, const std::string& top) {
    return S("<v:oval id='_x0000_s1027' style='position:absolute;left:" + left + "px;top:" + top +
             "px;width:4px;height:4px; z-index:2' fillcolor='#111111' strokecolor='#111111'/>\r");
  };
  // Middle angles of 45 and 225 degrees (in the Part's 6.28318530717958 per turn).
  const vb::String expected =
      Wedges() + dot("151.033008588991", "64.966991411009") +
      leader("153.033008588991px,66.966991411009px", "206.066017177982px,13.933982822018px") +
      leader("206.066017177982px,13.933982822018px", "226.066017177982px,13.933982822018px") +
      TextShape("226.066017177982", "3.93398282201798", "width:100px;height:20px", "甲 25.00%") +
      dot("44.9669914110087", "171.033008588991") +
      leader("46.9669914110087px,173.033008588991px", "-6.06601717798256px,226.066017177982px") +
      leader("-6.06601717798256px,226.066017177982px", "-26.0660171779826px,226.066017177982px") +
      TextShape("-126.066017177983", "216.066017177982", "width:100px;height:20px", "<b>乙</b> 75.00%");
  EXPECT_EQ(Chart(OneAndThree(), u"B"), expected);
}

TEST(KesraTableChart3, OtherTypesDrawTheWedgesOnly) {
  for (const char16_t* type : {u"a", u"b", u"", u"C"}) EXPECT_EQ(Chart(OneAndThree(), type), Wedges());
}

struct Arc {
  double start, extent;
};

std::vector<Arc> WedgesOf(const vb::String& chart) {
  std::vector<Arc> out;
  for (const Tag& t : ReadTags(chart)) {
    if (t.name != "v:shape" || t.Attr("path").empty()) continue;
    const auto n = t.Numbers("path");  // m750,700ae750,700,750,700,start,extent
    out.push_back({n[6], n[7]});
  }
  return out;
}

TEST(KesraTableChart3, StartsFollowAndExtentsFillTheTurn) {
  std::vector<vb::Variant> values;
  for (int v = 1; v <= 1000; ++v) values.push_back(v);  // total 500500: far past 16 bits
  for (const char16_t* type : {u"A", u"B"}) {
    const auto wedges = WedgesOf(Chart(Values(values), type));
    ASSERT_EQ(wedges.size(), 1000u);
    double sum = 0;
    for (size_t i = 0; i < wedges.size(); ++i) {
      EXPECT_NEAR(wedges[i].extent, std::floor((i + 1) * 23592960.0 / 500500), 0.5);
      if (i > 0) EXPECT_NEAR(wedges[i].start, wedges[i - 1].start + wedges[i - 1].extent, 2) << i;
      sum += wedges[i].extent;
    }
    EXPECT_NEAR(sum, 23592960, 1000);
    EXPECT_LE(sum, 23592960);
  }
}

TEST(KesraTableChart3, TheTotalIsRoundedAfterEachAddition) {
  // 0.6 rounds to 1, 1 + 0.6 to 2: each share is 0.6 / 2.
  const vb::String chart = Chart(Values({0.6, 0.6}), u"A");
  EXPECT_NE(chart.find(u">30.00%<"), vb::String::npos);
  const vb::String thirds = Chart(Values({1, 1, 1}), u"A");
  EXPECT_NE(thirds.find(u"width:140px;height:110px"), vb::String::npos);
  size_t count = 0;
  for (size_t at = 0; (at = thirds.find(u">33.33%<", at)) != vb::String::npos; ++at) ++count;
  EXPECT_EQ(count, 3u);
}

TEST(KesraTableChart3, TotalsOfZeroGiveEveryRowTheShareZero) {
  for (const auto& values : {std::vector<vb::Variant>{0, 0}, std::vector<vb::Variant>{5, -5}}) {
    for (const char16_t* type : {u"A", u"B"}) {
      const vb::String chart = Chart(Values(values), type);
      for (const Arc& w : WedgesOf(chart)) {
        EXPECT_EQ(w.start, 0);
        EXPECT_EQ(w.extent, 0);
      }
      EXPECT_NE(chart.find(u"0.00%"), vb::String::npos);
      EXPECT_EQ(chart.find(u"nan"), vb::String::npos);
      EXPECT_EQ(chart.find(u"inf"), vb::String::npos);
    }
  }
}

TEST(KesraTableChart3, NegativeValuesKeepNegativeExtents) {
  const auto wedges = WedgesOf(Chart(Values({6, -2}), u"a"));  // total 4
  EXPECT_EQ(wedges[0].extent, 6 * 23592960 / 4);
  EXPECT_EQ(wedges[1].start, 6 * 23592960 / 4);
  EXPECT_EQ(wedges[1].extent, -2 * 23592960 / 4);
}

TEST(KesraTableChart3, LeadersLieAlongTheMiddleAngleWithTheLabelOnItsSide) {
  const std::vector<vb::Variant> values{3, 1, 4, 1, 5, 9, 2, 6};  // total 31
  const int16_t L = 40, AW = 300, AH = 240;
  const double T = 10, cx = L + AW / 2.0, cy = T + AH / 2.0;
  const auto tags = ReadTags(Chart(Values(values), u"B", L, u"10", AW, AH));
  std::vector<Tag> dots = qe_test::TagsNamed(tags, "v:oval"), lines = qe_test::TagsNamed(tags, "v:line");
  std::vector<Tag> labels;
  for (const Tag& t : tags)
    if (t.name == "v:shape" && t.Attr("path").empty()) labels.push_back(t);
  ASSERT_EQ(dots.size(), values.size());
  ASSERT_EQ(lines.size(), 2 * values.size());
  double acc = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    SCOPED_TRACE(i);
    const double v = vb::CDbl(values[i]);
    const double middle = (acc + v / 62) * 2 * M_PI;
    acc += v / 31;
    const auto inner = lines[2 * i].Numbers("from"), outer = lines[2 * i].Numbers("to");
    EXPECT_NEAR(dots[i].Px("left") + 2, inner[0], 1e-9);
    EXPECT_NEAR(dots[i].Px("top") + 2, inner[1], 1e-9);
    // On the ellipse's scale, both points lie on the middle angle, at 3/8 and 3/4 of the box.
    EXPECT_NEAR(std::atan2((cy - inner[1]) / AH, (inner[0] - cx) / AW), std::remainder(middle, 2 * M_PI), 1e-9);
    EXPECT_NEAR(std::atan2((cy - outer[1]) / AH, (outer[0] - cx) / AW), std::remainder(middle, 2 * M_PI), 1e-9);
    EXPECT_NEAR(std::hypot((outer[0] - cx) / AW, (outer[1] - cy) / AH), 0.75, 1e-9);
    const auto end = lines[2 * i + 1].Numbers("to");
    EXPECT_EQ(end[1], outer[1]);
    if (outer[0] > cx) {
      EXPECT_NEAR(end[0], outer[0] + 20, 1e-9);
      EXPECT_NEAR(labels[i].Px("left"), outer[0] + 20, 1e-9);
    } else {
      EXPECT_NEAR(end[0], outer[0] - 20, 1e-9);
      EXPECT_NEAR(labels[i].Px("left"), outer[0] - 120, 1e-9);
    }
    EXPECT_NEAR(labels[i].Px("top"), outer[1] - 10, 1e-9);
  }
}

TEST(KesraTableChart3, AnOuterPointOnTheCentresVerticalGoesLeft) {
  const auto tags = ReadTags(Chart(Values({1}), u"B", 50, u"0", 0, 100));  // no width: x2 = cx
  for (const Tag& t : tags)
    if (t.name == "v:shape" && t.Attr("path").empty()) EXPECT_EQ(t.Px("left"), 50 - 120);
}

TEST(KesraTableChart3, FailuresOfValuesTopAndSums) {
  EXPECT_EQ(ErrorOf([] { Chart(Values({1, u"x"}), u"C"); }), vb::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Chart(Values({1}), u"A", 0, u"x"); }), vb::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Chart(Values({1}), u"C", 0, u"x"); }), 0);  // copied only
  EXPECT_EQ(ErrorOf([] { Chart(Values({1}), u"A", 32600, u"0", 150); }), vb::kOverflow);  // L + AW + 20
  EXPECT_EQ(ErrorOf([] { Chart(Values(std::vector<vb::Variant>(1092, 1)), u"A"); }), vb::kOverflow);  // N × 30 + 20
  EXPECT_EQ(ErrorOf([] { Chart(Values({40000, 30000}), u"B"); }), 0);
}

}  // namespace
