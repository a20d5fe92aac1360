// The VML charts on large tables, each against building a text of the same
// length from as many appended pieces (one per tag of the chart) in the same
// run: the bar chart "A" with 10,000 rows (W 2, AW 30000, inside the 16-bit
// sums) and the pie with 1,000 slices (values 1 to 1,000) as "A" and "B".
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "editors/kesra_chart_bar.h"
#include "editors/kesra_chart_pie.h"
#include "timing_reporter.h"

namespace {

vb::Variant Table(int rows) {
  vb::Array table(vb::vbVariant, {{0, rows}, {0, 2}});
  for (int i = 1; i <= rows; ++i) {
    table.Set({i, 1}, vb::Variant(static_cast<int32_t>(i % 997 + 1)));
    table.Set({i, 2}, vb::Variant(u"第" + vb::FromUtf8(std::to_string(i)) + u"项"));
  }
  return vb::Variant(std::move(table));
}

vb::Variant PieTable() {
  vb::Array table(vb::vbVariant, {{0, 1000}, {0, 2}});
  for (int i = 1; i <= 1000; ++i) {
    table.Set({i, 1}, vb::Variant(static_cast<int16_t>(i)));
    table.Set({i, 2}, vb::Variant(u"片" + vb::FromUtf8(std::to_string(i))));
  }
  return vb::Variant(std::move(table));
}

vb::String Bars() {
  static vb::Variant table = Table(10000);
  return qe::KesraTableChart1(table, 0, u"10", 4, 2, 30000, 400, u"A");
}
vb::String Pie(const char16_t* type) {
  static vb::Variant table = PieTable();
  return qe::KesraTableChart3(table, 0, u"10", 400, 400, type);
}

// The chart's text cut at each tag: the pieces the reference appends.
std::vector<vb::String> Pieces(const vb::String& text) {
  std::vector<vb::String> pieces;
  size_t start = 0;
  for (size_t at = text.find(u'<', 1); at != vb::String::npos; at = text.find(u'<', at + 1)) {
    pieces.push_back(text.substr(start, at - start));
    start = at;
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

void Append(benchmark::State& state, const vb::String& text) {
  const std::vector<vb::String> pieces = Pieces(text);
  for (auto _ : state) {
    vb::String out;
    for (const vb::String& piece : pieces) out += piece;
    benchmark::DoNotOptimize(out);
  }
  state.counters["pieces"] = static_cast<double>(pieces.size());
}

void BM_BarChart10000(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Bars());
}
void BM_BarAppend(benchmark::State& state) { Append(state, Bars()); }
void BM_PieA1000(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Pie(u"A"));
}
void BM_PieAAppend(benchmark::State& state) { Append(state, Pie(u"A")); }
void BM_PieB1000(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Pie(u"B"));
}
void BM_PieBAppend(benchmark::State& state) { Append(state, Pie(u"B")); }

BENCHMARK(BM_BarChart10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BarAppend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PieA1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PieAAppend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PieB1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PieBAppend)->Unit(benchmark::kMillisecond);

void PrintSummary(const bench_support::Seconds& seconds) {
  const std::pair<const char*, const char*> pairs[] = {
      {"BM_BarChart10000", "BM_BarAppend"}, {"BM_PieA1000", "BM_PieAAppend"}, {"BM_PieB1000", "BM_PieBAppend"}};
  for (const auto& [chart, reference] : pairs) {
    const double ours = bench_support::SecondsOf(seconds, chart), appended = bench_support::SecondsOf(seconds, reference);
    if (ours > 0 && appended > 0)
      std::printf("%s: %.2f ms, appending its pieces %.2f ms: %.1fx\n", chart, ours * 1e3, appended * 1e3,
                  ours / appended);
  }
}

}  // namespace

int main(int argc, char** argv) { return bench_support::RunWithSummary(argc, argv, PrintSummary); }
