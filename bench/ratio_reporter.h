#pragma once
// The console table of a benchmark run, then ratios between its benchmarks:
// subclasses print them from the mean real time of each benchmark by name
// (the name up to its first "/").
#include <benchmark/benchmark.h>

#include <map>
#include <string>

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        seconds_[run.benchmark_name().substr(0, run.benchmark_name().find('/'))] = run.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    PrintRatios();
  }

 protected:
  virtual void PrintRatios() = 0;
  // The time of a benchmark, 0 when it did not run.
  double Seconds(const std::string& name) { return seconds_[name]; }

 private:
  std::map<std::string, double> seconds_;
};

// Runs the benchmarks with the given reporter.
inline int RunWithReporter(int argc, char** argv, RatioReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
