// Archives: packing a 512 MB folder of 2,000 files (half text, half random
// bytes) with the zip class against Debian's `zip -9 -r`, and unpacking the
// archive that zip made with the zip class against Debian's `unzip`, in one
// run. The zip class's memory growth is read from the kernel: the process's
// peak resident size, reset before each call, against its size before it.
// After the runs it prints the ratios.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/fs/paths.h"
#include "platform/zip/xceed_zip.h"
#include "timing_reporter.h"

namespace {

namespace stdfs = std::filesystem;

constexpr int kFiles = 2000;
constexpr size_t kTotalBytes = 512u << 20;
constexpr int kFolders = 20;

double g_pack_growth_mb = 0;
double g_unpack_growth_mb = 0;

long StatusKilobytes(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  return 0;
}

// The resident size now, after resetting the peak to it.
long ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
  return StatusKilobytes("VmRSS:");
}
double GrowthMb(long before) { return static_cast<double>(StatusKilobytes("VmHWM:") - before) / 1024; }

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::abort();
}

// Drive C: on a temporary folder holding the sample folder "data" and the
// reference archive "ref.zip" made by zip -9 -r.
class Sample {
 public:
  Sample() {
    std::string pattern = (stdfs::temp_directory_path() / "qe-bench-zip-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    drive_ = pattern;
    fs::MapDrive(u'C', drive_);
    std::mt19937_64 random(512);
    static const char* kWords[] = {"the ", "school ", "office ", "notice ", "学生 ", "教师 ", "课程 ", "2024 ",
                                   "meeting ", "report ", "\r\n", "grade ", "班级 ", "安排 ", "通知 ", "., "};
    std::string block;
    for (int i = 0; i < kFiles; ++i) {
      size_t size = kTotalBytes / kFiles / 2 + random() % (kTotalBytes / kFiles);
      block.clear();
      if (i % 2 == 0) {
        while (block.size() < size) block += kWords[random() % 16];
        block.resize(size);
      } else {
        block.resize(size);
        for (size_t at = 0; at + 8 <= size; at += 8) *reinterpret_cast<uint64_t*>(&block[at]) = random();
      }
      stdfs::path folder = drive_ / "data" / ("folder" + std::to_string(i % kFolders));
      stdfs::create_directories(folder);
      std::ofstream(folder / ("file" + std::to_string(i) + (i % 2 ? ".bin" : ".txt")), std::ios::binary) << block;
    }
    Run("cd '" + (drive_ / "data").string() + "' && zip -9 -r -q ../ref.zip .");
  }
  ~Sample() {
    fs::UnmapDrive(u'C');
    stdfs::remove_all(drive_);
  }
  const stdfs::path& Drive() const { return drive_; }

 private:
  stdfs::path drive_;
};

const Sample& TheSample() {
  static const Sample sample;
  return sample;
}

void BM_InfoZipPack(benchmark::State& state) {
  const stdfs::path& drive = TheSample().Drive();
  for (auto _ : state) {
    Run("cd '" + (drive / "data").string() + "' && zip -9 -r -q ../info.zip .");
    state.PauseTiming();
    stdfs::remove(drive / "info.zip");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotalBytes));
}

void BM_ZipClassPack(benchmark::State& state) {
  const stdfs::path& drive = TheSample().Drive();
  for (auto _ : state) {
    long before = ResetPeak();
    ziparc::XceedZip zip;
    zip.base_path = u"C:\\data";
    zip.process_subfolders = true;
    zip.CompressionLevel(9);
    zip.zip_filename = u"C:\\ours.zip";
    zip.AddFilesToProcess(u"*.*");
    if (zip.Zip() != ziparc::kZipSuccess) state.SkipWithError("packing failed");
    state.PauseTiming();
    g_pack_growth_mb = GrowthMb(before);
    state.counters["archive_MB"] = static_cast<double>(stdfs::file_size(drive / "ours.zip")) / (1 << 20);
    state.counters["reference_MB"] = static_cast<double>(stdfs::file_size(drive / "ref.zip")) / (1 << 20);
    stdfs::remove(drive / "ours.zip");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotalBytes));
  state.counters["memory_growth_MB"] = g_pack_growth_mb;
}

void BM_InfoZipUnpack(benchmark::State& state) {
  const stdfs::path& drive = TheSample().Drive();
  for (auto _ : state) {
    Run("unzip -q -o '" + (drive / "ref.zip").string() + "' -d '" + (drive / "info-out").string() + "'");
    state.PauseTiming();
    stdfs::remove_all(drive / "info-out");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotalBytes));
}

void BM_ZipClassUnpack(benchmark::State& state) {
  const stdfs::path& drive = TheSample().Drive();
  for (auto _ : state) {
    long before = ResetPeak();
    ziparc::XceedZip zip;
    zip.zip_filename = u"C:\\ref.zip";
    zip.unzip_to_folder = u"C:\\out";
    if (zip.Unzip() != ziparc::kZipSuccess) state.SkipWithError("unpacking failed");
    state.PauseTiming();
    g_unpack_growth_mb = GrowthMb(before);
    stdfs::remove_all(drive / "out");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotalBytes));
  state.counters["memory_growth_MB"] = g_unpack_growth_mb;
}

BENCHMARK(BM_InfoZipPack)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ZipClassPack)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_InfoZipUnpack)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ZipClassUnpack)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

void PrintRatios(const bench_support::Seconds& seconds) {
  auto of = [&](const char* name) { return bench_support::SecondsOf(seconds, name); };
  double info_pack = of("BM_InfoZipPack"), pack = of("BM_ZipClassPack");
  double info_unpack = of("BM_InfoZipUnpack"), unpack = of("BM_ZipClassUnpack");
  if (info_pack > 0 && pack > 0)
    std::printf("pack 512 MB: %.2fx the time of zip -9 -r (target: within 1.5x)\n", pack / info_pack);
  if (info_unpack > 0 && unpack > 0)
    std::printf("unpack 512 MB: %.2fx the time of unzip (target: within 1.5x)\n", unpack / info_unpack);
  std::printf("memory growth: pack %.1f MB, unpack %.1f MB (target: under 32 MB)\n", g_pack_growth_mb,
              g_unpack_growth_mb);
}

}  // namespace

int main(int argc, char** argv) { return bench_support::RunWithSummary(argc, argv, PrintRatios); }
