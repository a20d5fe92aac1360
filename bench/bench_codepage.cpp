// Code page 936 conversion: the compiled-in table against glibc's iconv
// ("GBK") on the same 16 MB of mixed Chinese and ASCII text, in one run.
// After the runs it prints how many times faster the table is, writing into a
// buffer that the runs share (as iconv does) and into a new string each time
// (as the whole-text calls return it; a 16 MB string costs its page faults).
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdio>
#include <random>
#include <string>

#include "platform/text/ansi.h"
#include "timing_reporter.h"

namespace {

constexpr size_t kTextBytes = 16u << 20;

// Sentences of ASCII words and GB2312 characters (rows B0-F7, trail bytes that
// every row fills), about half the bytes Chinese, as the component's pages mix
// them. Slightly over 16 MB: a code is never cut in two.
const std::string& SampleBytes() {
  static const std::string bytes = [] {
    std::mt19937 rng(936);
    std::string out;
    out.reserve(kTextBytes + 64);
    while (out.size() < kTextBytes) {
      if (rng() % 2) {
        int letters = 2 + static_cast<int>(rng() % 8);
        for (int i = 0; i < letters; ++i) out.push_back(static_cast<char>('a' + rng() % 26));
        out.push_back(rng() % 8 ? ' ' : '\n');
      } else {
        int chars = 1 + static_cast<int>(rng() % 6);
        for (int i = 0; i < chars; ++i) {
          out.push_back(static_cast<char>(0xB0 + rng() % 0x47));
          out.push_back(static_cast<char>(0xA1 + rng() % 0x59));
        }
      }
    }
    return out;
  }();
  return bytes;
}

const vb::String& SampleText() {
  static const vb::String text16 = text::DecodeAnsi(SampleBytes());
  return text16;
}

// iconv on the whole text with the converter opened once, as a fair reference.
void RunIconv(benchmark::State& state, const char* to, const char* from, const char* input,
              size_t input_size, size_t output_size) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    state.SkipWithError("iconv has no GBK converter");
    return;
  }
  std::string out(output_size, '\0');
  for (auto _ : state) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input);
    size_t in_left = input_size;
    char* o = out.data();
    size_t o_left = out.size();
    if (iconv(cd, &in, &in_left, &o, &o_left) == static_cast<size_t>(-1)) {
      state.SkipWithError("iconv refused the sample");
      break;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SampleBytes().size()));
}

// Into a buffer that the runs share, as iconv's.
void BM_DecodeTable(benchmark::State& state) {
  const std::string& bytes = SampleBytes();
  std::u16string out(bytes.size(), u'\0');
  for (auto _ : state) {
    benchmark::DoNotOptimize(text::DecodeAnsi(bytes, out.data()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

// Into a new string each time, as the whole-text call returns it.
void BM_DecodeTableNewString(benchmark::State& state) {
  const std::string& bytes = SampleBytes();
  for (auto _ : state) benchmark::DoNotOptimize(text::DecodeAnsi(bytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_DecodeIconv(benchmark::State& state) {
  const std::string& bytes = SampleBytes();
  RunIconv(state, "UTF-16LE", "GBK", bytes.data(), bytes.size(), bytes.size() * 2);
}

void BM_EncodeTable(benchmark::State& state) {
  const vb::String& text16 = SampleText();
  std::string out(text16.size() * 2, '\0');
  for (auto _ : state) {
    benchmark::DoNotOptimize(text::EncodeAnsi(text16, out.data()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SampleBytes().size()));
}

void BM_EncodeTableNewString(benchmark::State& state) {
  const vb::String& text16 = SampleText();
  for (auto _ : state) benchmark::DoNotOptimize(text::EncodeAnsi(text16));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SampleBytes().size()));
}

void BM_EncodeIconv(benchmark::State& state) {
  const vb::String& text16 = SampleText();
  RunIconv(state, "GBK", "UTF-16LE", reinterpret_cast<const char*>(text16.data()),
           text16.size() * 2, SampleBytes().size());
}

BENCHMARK(BM_DecodeTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTableNewString)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeIconv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeTableNewString)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeIconv)->Unit(benchmark::kMillisecond);

// The table-against-iconv ratios.
void PrintRatios(const bench_support::Seconds& seconds) {
  for (const char* op : {"Decode", "Encode"}) {
    const std::string name = std::string("BM_") + op;
    const double iconv = bench_support::SecondsOf(seconds, name + "Iconv");
    for (const char* variant : {"Table", "TableNewString"}) {
      const double table = bench_support::SecondsOf(seconds, name + variant);
      if (table > 0 && iconv > 0)
        std::printf("%s 16 MB, %s: %.2fx as fast as iconv (GBK)\n", op, variant, iconv / table);
    }
  }
}

}  // namespace

int main(int argc, char** argv) { return bench_support::RunWithSummary(argc, argv, PrintRatios); }
