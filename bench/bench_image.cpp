// A text watermark on a 4000 × 3000 JPEG: load, draw the text, scale to
// half, save at quality 100, by the image class and by GraphicsMagick's
// `gm convert` (a box filter, the same font and text) in one run. The class's
// peak memory is the growth of the process's peak resident size over one
// warm pipeline, against the decoded source (4000 × 3000 × 3 bytes); large
// blocks are kept out of the heap so that what one run freed is not counted
// as already resident in the next.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/fs/paths.h"
#include "platform/image/gdiplus.h"
#include "timing_reporter.h"
#include "transfer/kesra_class_image.h"

namespace {

namespace stdfs = std::filesystem;

constexpr int kWidth = 4000, kHeight = 3000;
constexpr double kDecodedBytes = double{kWidth} * kHeight * 3;
const char kText[] = "校园 watermark";

// The sample photograph and a folder for the results, on drive C:.
struct Sample {
  stdfs::path folder;
  Sample() {
    std::string pattern = (stdfs::temp_directory_path() / "qe-bench-image-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    fs::MapDrive(u'C', folder);
    // Smooth gradients with fine texture, as a photograph has both.
    image::Bitmap picture(kWidth, kHeight);
    uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* px = picture.Row(y);
      for (int x = 0; x < kWidth; ++x, px += 3) {
        noise = noise * 1103515245 + 12345;
        int grain = static_cast<int>((noise >> 16) & 15) - 8;
        px[0] = static_cast<uint8_t>(std::clamp(x * 255 / kWidth + grain, 0, 255));
        px[1] = static_cast<uint8_t>(std::clamp(y * 255 / kHeight + grain, 0, 255));
        px[2] = static_cast<uint8_t>(std::clamp(128 + ((x / 40 + y / 40) % 2) * 60 + grain, 0, 255));
      }
    }
    std::string jpeg;
    if (gdiplus::EncodeJpeg(picture, 90, jpeg) != gdiplus::Ok) std::abort();
    std::ofstream(folder / "source.jpg", std::ios::binary) << jpeg;
  }
  ~Sample() {
    fs::UnmapDrive(u'C');
    stdfs::remove_all(folder);
  }
};

const Sample& TheSample() {
  static Sample sample;
  return sample;
}

void Watermark(qe::Kesra_Class_Image& image) {
  image.LetLoadFromFile(vb::String(u"C:\\source.jpg"));
  image.LetMaskText(vb::FromUtf8(kText));
  image.LetRate(0.5f);
  image.LetMaskTextFontName(vb::String(u"Monotype Corsiva"));
  image.LetMarkRotate(25);
  image.KesraImageOutputTxtImg(u"C:\\qe.jpg", u"#FF0000", 20, 50, 10, 100);
}

long StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  return -1;
}

double g_peak_over_source = 0;

void BM_ImageClass(benchmark::State& state) {
  TheSample();
  qe::Kesra_Class_Image image;
  Watermark(image);  // fonts and caches in place
  // The peak resident size, reset to the present one, after one more run.
  std::ofstream("/proc/self/clear_refs") << "5";
  long before = StatusKilobytes("VmRSS:");
  Watermark(image);
  long peak = StatusKilobytes("VmHWM:");
  g_peak_over_source = (peak - before) * 1024.0 / kDecodedBytes;
  for (auto _ : state) Watermark(image);
  state.counters["peak_over_source"] = g_peak_over_source;
}

std::string FontFile() {
  std::string file;
  if (FILE* p = ::popen("fc-match -f '%{file}' 'WenQuanYi Zen Hei'", "r")) {
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, p)) file.append(buffer, n);
    ::pclose(p);
  }
  return file;
}

// The child's run; its peak resident size in kilobytes.
long RunGm(const std::string& command) {
  pid_t child = ::fork();
  if (child == 0) {
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return usage.ru_maxrss;
}

void GmBenchmark(benchmark::State& state, const std::string& threads) {
  const Sample& sample = TheSample();
  // Cell height 50 is a character height of about 43 pixels in this face;
  // turned 25 degrees about the text's corner at (10, 100).
  std::string command = threads + "gm convert '" + (sample.folder / "source.jpg").string() + "' -font '" + FontFile() +
                        "' -pointsize 43 -fill red -draw \"translate 10,140 rotate -25 text 0,0 '" + kText +
                        "'\" -filter Box -resize 50% -quality 100 -sampling-factor 2x2 '" +
                        (sample.folder / "gm.jpg").string() + "'";
  long peak = 0;
  for (auto _ : state) {
    peak = RunGm(command);
    if (peak < 0) state.SkipWithError("gm convert failed (is graphicsmagick installed?)");
  }
  state.counters["peak_over_source"] = peak * 1024.0 / kDecodedBytes;
}

void BM_GmConvert(benchmark::State& state) { GmBenchmark(state, ""); }
void BM_GmConvertOneThread(benchmark::State& state) { GmBenchmark(state, "OMP_NUM_THREADS=1 "); }

BENCHMARK(BM_ImageClass)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_GmConvert)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_GmConvertOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void PrintRatios(const bench_support::Seconds& seconds) {
  auto of = [&](const char* name) { return bench_support::SecondsOf(seconds, name); };
  double ours = of("BM_ImageClass"), gm = of("BM_GmConvert"), gm_one = of("BM_GmConvertOneThread");
  if (ours > 0 && gm > 0)
    std::printf("watermark 4000x3000: %.2fx the time of gm convert (target: no slower, 1x or less)\n", ours / gm);
  if (ours > 0 && gm_one > 0) std::printf("                     %.2fx the time of gm convert on one thread\n", ours / gm_one);
  std::printf("peak memory: %.2fx the decoded source (target: under 3x)\n", g_peak_over_source);
}

}  // namespace

int main(int argc, char** argv) {
  mallopt(M_MMAP_THRESHOLD, 64 * 1024);
  mallopt(M_TRIM_THRESHOLD, 64 * 1024);
  return bench_support::RunWithSummary(argc, argv, PrintRatios);
}
