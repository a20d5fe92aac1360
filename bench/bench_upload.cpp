// Uploads: parsing a 256 MB body of 8 files and 8 fields against copying the
// same bytes with memcpy, and saving the 8 files against writing the same
// bytes with plain write(2), in one run. The parser's peak memory is counted
// by the allocation hooks below: the bytes it held at its peak beyond what was
// held before, against the body's size. After the runs it prints the ratios.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <string>

#include "platform/asp/context.h"
#include "platform/fs/paths.h"
#include "timing_reporter.h"
#include "transfer/kesra_class_upload_file.h"
#include "transfer/kesra_class_upload_file_ex.h"

// Allocation counting: each block carries its size in front.
namespace {
std::atomic<int64_t> g_live_bytes{0};
std::atomic<int64_t> g_peak_bytes{0};
constexpr size_t kHeader = alignof(std::max_align_t);

void* Counted(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (!block) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  int64_t live = g_live_bytes += static_cast<int64_t>(size);
  int64_t peak = g_peak_bytes.load();
  while (live > peak && !g_peak_bytes.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void Uncounted(void* p) {
  if (!p) return;
  void* block = static_cast<char*>(p) - kHeader;
  g_live_bytes -= static_cast<int64_t>(*static_cast<size_t*>(block));
  std::free(block);
}
}  // namespace

void* operator new(size_t size) { return Counted(size); }
void* operator new[](size_t size) { return Counted(size); }
void operator delete(void* p) noexcept { Uncounted(p); }
void operator delete[](void* p) noexcept { Uncounted(p); }
void operator delete(void* p, size_t) noexcept { Uncounted(p); }
void operator delete[](void* p, size_t) noexcept { Uncounted(p); }

namespace {

namespace stdfs = std::filesystem;

constexpr size_t kFiles = 8;
constexpr size_t kFileBytes = 32u << 20;
constexpr std::string_view kBoundary = "----WebKitFormBoundary7MA4YWxkTrZu0gW";

struct Sample {
  std::string body;
  std::vector<std::pair<size_t, size_t>> files;  // offset and size of each file's data
};

// Random data with a CR LF "--" run every 4 KB, as the delimiter search meets
// in real files; the fields come between the files.
const Sample& UploadSample() {
  static const Sample sample = [] {
    Sample s;
    s.body.reserve(kFiles * (kFileBytes + 512));
    std::mt19937_64 rng(256);
    for (size_t i = 0; i < kFiles; ++i) {
      s.body += "--" + std::string(kBoundary) + "\r\nContent-Disposition: form-data; name=\"field" +
                std::to_string(i) + "\"\r\n\r\nvalue " + std::to_string(i) + "\r\n";
      s.body += "--" + std::string(kBoundary) + "\r\nContent-Disposition: form-data; name=\"file" +
                std::to_string(i) + "\"; filename=\"photo" + std::to_string(i) +
                ".jpg\"\r\nContent-Type: image/jpeg\r\n\r\n";
      size_t start = s.body.size();
      s.body.resize(start + kFileBytes);
      for (size_t at = start; at < s.body.size(); at += 8) {
        uint64_t word = rng();
        std::memcpy(&s.body[at], &word, std::min<size_t>(8, s.body.size() - at));
      }
      for (size_t at = start + 4096; at + 4 < s.body.size(); at += 4096) std::memcpy(&s.body[at], "\r\n--", 4);
      s.files.emplace_back(start, kFileBytes);
      s.body += "\r\n";
    }
    s.body += "--" + std::string(kBoundary) + "--\r\n";
    return s;
  }();
  return sample;
}

// The request body as the network hands it: read from where it lies, no copy.
class ViewBody : public asp::BodySource {
 public:
  explicit ViewBody(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Length() const override { return bytes_.size(); }
  size_t Read(uint8_t* out, size_t max) override {
    size_t n = std::min(max, bytes_.size() - position_);
    std::memcpy(out, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }

 private:
  std::string_view bytes_;
  size_t position_ = 0;
};

std::unique_ptr<asp::Context> UploadRequest() {
  asp::Connection c;
  c.request.method = "POST";
  c.request.headers = {{"Content-Type", "multipart/form-data; boundary=" + std::string(kBoundary)}};
  c.request.max_body_bytes = 1ull << 30;
  c.body = std::make_unique<ViewBody>(UploadSample().body);
  return std::make_unique<asp::Context>(std::move(c));
}

double g_parse_peak_over_body = 0;

// Copying the body into memory of its own: the least that holding it costs.
void BM_MemcpyIntoNewBuffer(benchmark::State& state) {
  const std::string& body = UploadSample().body;
  for (auto _ : state) {
    auto copy = std::make_unique_for_overwrite<char[]>(body.size());
    std::memcpy(copy.get(), body.data(), body.size());
    benchmark::DoNotOptimize(copy.get());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}

// The same into memory that earlier runs already touched: copying alone.
void BM_MemcpyIntoWarmBuffer(benchmark::State& state) {
  const std::string& body = UploadSample().body;
  auto copy = std::make_unique<char[]>(body.size());
  for (auto _ : state) {
    std::memcpy(copy.get(), body.data(), body.size());
    benchmark::DoNotOptimize(copy.get());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}

void BM_Parse(benchmark::State& state) {
  const std::string& body = UploadSample().body;
  for (auto _ : state) {
    state.PauseTiming();
    auto request = UploadRequest();
    int64_t before = g_live_bytes.load();
    g_peak_bytes = before;
    state.ResumeTiming();
    {
      qe::Kesra_Class_UploadFile upload;
      upload.GetData(request->Request());
      if (upload.ErrorID() != 0 || upload.FileCount() != static_cast<int32_t>(kFiles))
        state.SkipWithError("the sample did not parse");
      benchmark::DoNotOptimize(upload.FileCount());
      state.PauseTiming();
      g_parse_peak_over_body = static_cast<double>(g_peak_bytes.load() - before) - static_cast<double>(body.size());
      state.ResumeTiming();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
  state.counters["peak_MB_over_body"] = g_parse_peak_over_body / (1 << 20);
}

// A folder on drive C: for the saved files, emptied between runs.
class SaveFolder {
 public:
  SaveFolder() {
    std::string pattern = (stdfs::temp_directory_path() / "qe-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    folder_ = pattern;
    fs::MapDrive(u'C', folder_);
  }
  ~SaveFolder() {
    fs::UnmapDrive(u'C');
    stdfs::remove_all(folder_);
  }
  void Empty() {
    for (const auto& entry : stdfs::directory_iterator(folder_)) stdfs::remove_all(entry.path());
  }
  const stdfs::path& Folder() const { return folder_; }

 private:
  stdfs::path folder_;
};

void BM_PlainWrites(benchmark::State& state) {
  const Sample& sample = UploadSample();
  SaveFolder save;
  for (auto _ : state) {
    for (size_t i = 0; i < sample.files.size(); ++i) {
      std::string path = (save.Folder() / ("plain" + std::to_string(i) + ".jpg")).string();
      int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
      const char* data = sample.body.data() + sample.files[i].first;
      size_t left = sample.files[i].second;
      while (left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n <= 0) std::abort();
        data += n;
        left -= static_cast<size_t>(n);
      }
      ::close(fd);
    }
    state.PauseTiming();
    save.Empty();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFiles * kFileBytes));
}

void BM_SaveItems(benchmark::State& state) {
  SaveFolder save;
  auto request = UploadRequest();
  qe::Kesra_Class_UploadFile upload;
  upload.GetData(request->Request());
  vb::Variant server;  // real paths: no mapping
  for (auto _ : state) {
    for (const auto& [key, item] : upload.FileTable().Entries()) {
      auto file = std::dynamic_pointer_cast<qe::Kesra_Class_UploadFileEx>(item.GetObject());
      if (!file->SavetoFile(server, u"C:\\up", int16_t{0}, true)) state.SkipWithError("a save failed");
    }
    state.PauseTiming();
    save.Empty();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFiles * kFileBytes));
}

BENCHMARK(BM_MemcpyIntoNewBuffer)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_MemcpyIntoWarmBuffer)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PlainWrites)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_SaveItems)->Unit(benchmark::kMillisecond)->MinTime(3);

void PrintRatios(const bench_support::Seconds& seconds) {
  auto of = [&](const char* name) { return bench_support::SecondsOf(seconds, name); };
  double memcpy = of("BM_MemcpyIntoNewBuffer"), warm = of("BM_MemcpyIntoWarmBuffer");
  double parse = of("BM_Parse"), plain = of("BM_PlainWrites"), save = of("BM_SaveItems");
  if (memcpy > 0 && parse > 0)
    std::printf("parse 256 MB: %.2fx the time of memcpy into new memory (target: within 4x)\n", parse / memcpy);
  if (warm > 0 && parse > 0)
    std::printf("parse 256 MB: %.2fx the time of memcpy into touched memory\n", parse / warm);
  std::printf("parse peak memory: body + %.2f MB (target: body + 16 MB)\n", g_parse_peak_over_body / (1 << 20));
  if (plain > 0 && save > 0)
    std::printf("save 8 files: %.2fx the time of plain writes (target: within 1.5x)\n", save / plain);
}

}  // namespace

int main(int argc, char** argv) { return bench_support::RunWithSummary(argc, argv, PrintRatios); }
