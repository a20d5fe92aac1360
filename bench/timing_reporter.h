#pragma once
// Benchmark programs that print ratios against a reference measured in the
// same run: the usual table, then a summary computed from each benchmark's
// time per iteration in seconds, by name (up to its first "/", so that
// options such as min_time do not change it).
#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench_support {

using Seconds = std::map<std::string, double>;

class TimingReporter : public benchmark::ConsoleReporter {
 public:
  explicit TimingReporter(std::function<void(const Seconds&)> summary) : summary_(std::move(summary)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0)
        seconds_[run.benchmark_name().substr(0, run.benchmark_name().find('/'))] =
            run.real_accumulated_time / static_cast<double>(run.iterations);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    summary_(seconds_);
  }

 private:
  std::function<void(const Seconds&)> summary_;
  Seconds seconds_;
};

// main() of a benchmark program whose summary follows the table.
inline int RunWithSummary(int argc, char** argv, std::function<void(const Seconds&)> summary) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TimingReporter reporter(std::move(summary));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

// The time of a benchmark by name; 0 when it did not run.
inline double SecondsOf(const Seconds& seconds, const std::string& name) {
  auto it = seconds.find(name);
  return it == seconds.end() ? 0 : it->second;
}

}  // namespace bench_support
