// The chart members of QeCls through late binding, and charts drawn on eight
// threads at once (their working values live in each call).
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "editors/kesra_chart_bar.h"
#include "editors/kesra_chart_data.h"
#include "editors/kesra_chart_interactive.h"
#include "editors/kesra_chart_line.h"
#include "editors/kesra_chart_picture.h"
#include "editors/kesra_chart_pie.h"
#include "platform/com/registry.h"
#include "facade/qecls.h"
#include "support/file_content.h"
#include "support/temp_site.h"
#include "support/vml_reader.h"

namespace {

using qe_test::ValueTable;

vb::Variant Pie() { return ValueTable({{}, {0, 1, u"甲"}, {0, 3, u"乙"}, {0, 2.5, u"丙"}}); }
vb::Variant Lines() {
  return ValueTable({{vb::Variant(), u"#f00,1,2,2,a", u"#0f0,2,5,3,b"}, {u"一", 3, 7}, {u"二", 9, 1}, {u"三", 4, 4}});
}
vb::Variant Series() {
  return ValueTable({{vb::Variant(), u"a,b,c"}, {vb::Variant(), u"1,5,3", u"x"}, {vb::Variant(), u"9,2,6", u"y"}});
}

TEST(ChartMembers, ReachTheirProceduresByName) {
  qe::RegisterComponentClasses();
  const vb::Variant facade(com::CreateObject(u"QE.QeCls"));
  vb::Variant table = Pie();
  EXPECT_EQ(vb::CStr(com::Call(facade, u"commtablechart3", table, int16_t{0}, vb::String(u"20"), int16_t{200},
                               int16_t{200}, vb::String(u"A"))),
            qe::KesraTableChart3(table, 0, u"20", 200, 200, u"A"));
  EXPECT_EQ(vb::CStr(com::Call(facade, u"CommTableChart1", table, int16_t{0}, vb::String(u"5"), int16_t{4},
                               int16_t{10}, int16_t{300}, int16_t{200}, vb::String(u"B"))),
            qe::KesraTableChart1(table, 0, u"5", 4, 10, 300, 200, u"B"));
  vb::Variant lines = Lines();
  EXPECT_EQ(vb::CStr(com::Call(facade, u"CommTableChart2", lines, int16_t{0}, vb::String(u"5"), int16_t{300},
                               int16_t{200}, int16_t{2})),
            qe::KesraTableChart2(lines, 0, u"5", 300, 200, 2));
  vb::Variant series = Series();
  EXPECT_EQ(vb::CStr(com::Call(facade, u"CommTableChart4", series, int16_t{0}, vb::String(u"5"), int16_t{600},
                               int16_t{300}, vb::String(u"t"), vb::String(u"x"), vb::String(u"y"))),
            qe::KesraTableChart4(series, 0, u"5", 600, 300, u"t", u"x", u"y"));
  EXPECT_EQ(vb::CStr(com::Call(facade, u"CommTableChartHeader")), qe::KesraTableChartHeader());

  qe_test::TempSite site;
  const vb::Variant result =
      com::Call(facade, u"CommGraphiWithOwc", vb::String(u"a,b"), vb::String(u"1,2"), vb::String(u"s"), int16_t{0},
                vb::String(u"t"), int16_t{0}, vb::String(u"png"), int16_t{100}, int16_t{80},
                vb::String(u"C:\\chart.png"));
  EXPECT_EQ(result.Type(), vb::vbInteger);
  EXPECT_EQ(vb::CLng(result), 0);
  EXPECT_TRUE(std::filesystem::exists(site.Host("chart.png")));
}

TEST(ChartMembers, EightThreadsAtOnceDrawWhatOneDraws) {
  vb::Variant pie = Pie(), lines = Lines(), series = Series();
  const vb::String bars = qe::KesraTableChart1(pie, 3, u"7", 6, 12, 300, 150, u"A");
  const vb::String line = qe::KesraTableChart2(lines, 3, u"7", 300, 150, 2);
  const vb::String wedges = qe::KesraTableChart3(pie, 3, u"7", 300, 150, u"B");
  const vb::String group = qe::KesraTableChart4(series, 3, u"7", 300, 150, u"t", u"x", u"y");
  qe_test::TempSite site;
  ASSERT_EQ(qe::KesraGraphiWithOwc(u"甲,乙", u"3,4", u"s", 0, u"标题", 0, u"png", 200, 120, u"C:\\one.png"), 0);
  const std::string picture = qe_test::FileContent(site.Host("one.png"));

  std::vector<std::thread> threads;
  std::vector<int> failures(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      vb::Variant my_pie = Pie(), my_lines = Lines(), my_series = Series();
      const vb::String file = u"C:\\t" + vb::FromUtf8(std::to_string(t)) + u".png";
      for (int round = 0; round < 20; ++round) {
        failures[t] += qe::KesraTableChart1(my_pie, 3, u"7", 6, 12, 300, 150, u"A") != bars;
        failures[t] += qe::KesraTableChart2(my_lines, 3, u"7", 300, 150, 2) != line;
        failures[t] += qe::KesraTableChart3(my_pie, 3, u"7", 300, 150, u"B") != wedges;
        failures[t] += qe::KesraTableChart4(my_series, 3, u"7", 300, 150, u"t", u"x", u"y") != group;
        if (round % 5 == 0)
          failures[t] += qe::KesraGraphiWithOwc(u"甲,乙", u"3,4", u"s", 0, u"标题", 0, u"png", 200, 120, file) != 0;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < 8; ++t) {
    EXPECT_EQ(failures[t], 0) << t;
    EXPECT_EQ(qe_test::FileContent(site.Host("t" + std::to_string(t) + ".png")), picture) << t;
  }
}

}  // namespace
