// The editor's script as pages get it: CommQeEditorAllJs per call against a
// memcpy of its result in the same run (within 2x), and the minifier on the
// readable script, whose size is set next to the whitespace-only output of a
// pinned minifier (esbuild, bench/minifier: npm ci there first).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "editors/kesra_qe_editor.h"
#include "platform/vb/convert.h"
#include "facade/qecls.h"
#include "timing_reporter.h"

namespace {

namespace stdfs = std::filesystem;

void BM_CommQeEditorAllJs(benchmark::State& state) {
  auto qe = std::make_shared<qe::QeCls>();
  for (auto _ : state) benchmark::DoNotOptimize(qe->CommQeEditorAllJs());
}

void BM_MemcpyOfItsResult(benchmark::State& state) {
  const vb::String script = qe::KesraQeEditorAllJs();
  std::vector<char16_t> copy(script.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), script.data(), script.size() * sizeof(char16_t));
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
}

// A text that is not the default, so that every call minifies.
void BM_KesraQeEditorMiniJs(benchmark::State& state) {
  const vb::String readable = qe::KesraQeEditorJs() + u" ";
  for (auto _ : state) benchmark::DoNotOptimize(qe::KesraQeEditorMiniJs(readable));
}

BENCHMARK(BM_CommQeEditorAllJs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyOfItsResult)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KesraQeEditorMiniJs)->Unit(benchmark::kMillisecond);

std::string ScriptBody(const vb::String& element) {
  std::string text = vb::ToUtf8(element);
  size_t start = text.find("<script>") + 8;
  return text.substr(start, text.rfind("</script>") - start);
}

// esbuild's whitespace-only minification of the readable script: its size in
// UTF-16 code units (as ours is counted) and its time, or nothing.
bool Esbuild(size_t& units, double& seconds) {
  const stdfs::path program = stdfs::path(QE_SOURCE_DIR) / "bench" / "minifier" / "node_modules" / ".bin" / "esbuild";
  if (!stdfs::exists(program)) return false;
  const stdfs::path in = stdfs::temp_directory_path() / "qe_editor_readable.js";
  const stdfs::path out = stdfs::temp_directory_path() / "qe_editor_esbuild.js";
  std::ofstream(in, std::ios::binary) << ScriptBody(qe::KesraQeEditorJs());
  auto start = std::chrono::steady_clock::now();
  std::string command = "'" + program.string() + "' --minify-whitespace --log-level=error '" + in.string() +
                        "' --outfile='" + out.string() + "'";
  if (std::system(command.c_str()) != 0) return false;
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::stringstream bytes;
  bytes << std::ifstream(out, std::ios::binary).rdbuf();
  std::string text = bytes.str();
  while (!text.empty() && text.back() == '\n') text.pop_back();
  units = vb::FromUtf8(text).size();
  stdfs::remove(in);
  stdfs::remove(out);
  return true;
}

void PrintSummary(const bench_support::Seconds& seconds) {
  const double all = bench_support::SecondsOf(seconds, "BM_CommQeEditorAllJs");
  const double copy = bench_support::SecondsOf(seconds, "BM_MemcpyOfItsResult");
  const double mini = bench_support::SecondsOf(seconds, "BM_KesraQeEditorMiniJs");
  const size_t ours = vb::FromUtf8(ScriptBody(qe::KesraQeEditorAllJs())).size();
  const size_t readable_units = vb::FromUtf8(ScriptBody(qe::KesraQeEditorJs())).size();
  if (all > 0 && copy > 0)
    std::printf("CommQeEditorAllJs: %.1f us per call, %.2fx a memcpy of its %zu characters (%.1f us)\n", all * 1e6,
                all / copy, qe::KesraQeEditorAllJs().size(), copy * 1e6);
  if (mini > 0) std::printf("KesraQeEditorMiniJs on the readable script: %.1f ms\n", mini * 1e3);
  std::printf("script: readable %zu characters, ours minified %zu", readable_units, ours);
  size_t esbuild_units = 0;
  double esbuild_seconds = 0;
  if (Esbuild(esbuild_units, esbuild_seconds))
    std::printf(", esbuild --minify-whitespace %zu (ours %.2fx its size; esbuild %.0f ms with its start)\n", esbuild_units,
                static_cast<double>(ours) / esbuild_units, esbuild_seconds * 1e3);
  else
    std::printf("; esbuild is not installed (npm ci in bench/minifier)\n");
}

}  // namespace

int main(int argc, char** argv) { return bench_support::RunWithSummary(argc, argv, PrintSummary); }
