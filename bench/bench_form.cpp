// A URL-encoded form at the server's limits (2 MiB, 10,000 fields) read
// into Request.Form, against reading a text/plain body of the same size with
// BinaryRead, in one run: what a form at the limit costs a page worker,
// as a multiple of reading its bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/asp/context.h"
#include "timing_reporter.h"

namespace {

constexpr size_t kFormBytes = 2 * 1024 * 1024;
constexpr int kFields = 10000;

// Fields with names and values long enough to fill the limit.
const std::string& Form() {
  static const std::string form = [] {
    std::string text;
    const std::string value(200, 'v');
    for (int i = 0; i < kFields; ++i) text += (i ? "&n" : "n") + std::to_string(i) + "=" + value;
    text.resize(std::min(text.size(), kFormBytes));
    return text;
  }();
  return form;
}

std::unique_ptr<asp::Context> Posted(const char* content_type) {
  asp::Connection c;
  c.request.method = "POST";
  c.request.headers = {{"Content-Type", content_type}};
  c.request.max_form_bytes = kFormBytes;
  c.request.max_form_fields = kFields;
  c.body = std::make_unique<asp::MemoryBody>(Form());
  return std::make_unique<asp::Context>(std::move(c));
}

void BM_ReadTextBody(benchmark::State& state) {
  for (auto _ : state) {
    auto context = Posted("text/plain");
    benchmark::DoNotOptimize(context->RequestObject().BinaryRead(Form().size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Form().size()));
}
BENCHMARK(BM_ReadTextBody)->Unit(benchmark::kMillisecond);

void BM_ParseForm(benchmark::State& state) {
  for (auto _ : state) {
    auto context = Posted("application/x-www-form-urlencoded");
    benchmark::DoNotOptimize(context->RequestObject().Form().Count());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Form().size()));
}
BENCHMARK(BM_ParseForm)->Unit(benchmark::kMillisecond);

// The form's time as a multiple of reading the same bytes.
void PrintRatio(const bench_support::Seconds& seconds) {
  const double read = bench_support::SecondsOf(seconds, "BM_ReadTextBody");
  const double parse = bench_support::SecondsOf(seconds, "BM_ParseForm");
  if (read <= 0 || parse <= 0) return;
  std::printf("a form at the limits (%zu bytes, %d fields) parsed in %.1f ms: %.1f times reading a text/plain body of "
              "the same size (%.2f ms)\n",
              Form().size(), kFields, parse * 1000, parse / read, read * 1000);
}

}  // namespace

int main(int argc, char** argv) { return bench_support::RunWithSummary(argc, argv, PrintRatio); }
