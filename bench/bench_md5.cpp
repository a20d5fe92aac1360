// The password digest over 1 MB of text, in MB of text per second, against
// OpenSSL's MD5 over the same text's code page 936 bytes in the same run. For
// ASCII text the two digests are the same; for mixed text the digest still
// reads one code per character.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdio>
#include <random>
#include <string>

#include "common/kesra_class_md5.h"
#include "timing_reporter.h"
#include "platform/text/ansi.h"

namespace {

constexpr size_t kTextBytes = 1u << 20;

// About half the bytes Chinese characters of GB2312 (rows B0-F7), the rest
// ASCII words, as pages mix them; or ASCII words only.
std::string SampleBytes(bool chinese) {
  std::mt19937 rng(5);
  std::string out;
  while (out.size() < kTextBytes) {  // a pair cut at the end decodes to "?"
    if (!chinese || rng() % 2) {
      int letters = 2 + static_cast<int>(rng() % 8);
      for (int i = 0; i < letters; ++i) out.push_back(static_cast<char>('a' + rng() % 26));
      out.push_back(' ');
    } else {
      out.push_back(static_cast<char>(0xB0 + rng() % 0x27));
      out.push_back(static_cast<char>(0xA1 + rng() % 0x59));
    }
  }
  out.resize(kTextBytes);
  return out;
}

void DigestText(benchmark::State& state, bool chinese) {
  const std::string bytes = SampleBytes(chinese);
  const vb::String message = text::DecodeAnsi(bytes);
  qe::Kesra_Class_Md5 md5;
  for (auto _ : state) benchmark::DoNotOptimize(md5.KesraMd5(message));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void DigestBytesOpenSsl(benchmark::State& state, bool chinese) {
  const std::string bytes = SampleBytes(chinese);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  for (auto _ : state) {
    EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_md5(), nullptr);
    benchmark::DoNotOptimize(digest);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_KesraMd5Ascii(benchmark::State& state) { DigestText(state, false); }
void BM_OpenSslMd5Ascii(benchmark::State& state) { DigestBytesOpenSsl(state, false); }
void BM_KesraMd5Mixed(benchmark::State& state) { DigestText(state, true); }
void BM_OpenSslMd5Mixed(benchmark::State& state) { DigestBytesOpenSsl(state, true); }

BENCHMARK(BM_KesraMd5Ascii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSslMd5Ascii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KesraMd5Mixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSslMd5Mixed)->Unit(benchmark::kMillisecond);

// The throughputs, and the digest's time against OpenSSL's.
void PrintSummary(const bench_support::Seconds& seconds) {
  for (const char* text : {"Ascii", "Mixed"}) {
    const double ours = bench_support::SecondsOf(seconds, std::string("BM_KesraMd5") + text);
    const double openssl = bench_support::SecondsOf(seconds, std::string("BM_OpenSslMd5") + text);
    if (ours > 0 && openssl > 0)
      std::printf("%s 1 MB: KesraMd5 %.0f MB/s, OpenSSL MD5 %.0f MB/s (%.2fx its time)\n", text, 1.0 / ours,
                  1.0 / openssl, ours / openssl);
  }
}

}  // namespace

int main(int argc, char** argv) { return bench_support::RunWithSummary(argc, argv, PrintSummary); }
