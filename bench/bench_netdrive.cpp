// The network drive: the drive page listing a folder of 10,000 files, against
// reading the folder with readdir and stat; and the drive's size (measured
// on every copy and paste) of 10,000 files in 100 folders through the
// file-system object, against nftw summing st_size. Same run, as ratios.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/netdrive_pages.h"
#include "office/net_drive.h"
#include "platform/asp/context.h"
#include "mounted_site.h"
#include "timing_reporter.h"

namespace {

constexpr int kFiles = 10000;

struct Site : bench_support::MountedDefaultSite {
  Site() {
    flat = folder / "Data_UploadFiles" / "NetDriver" / "li" / "flat";
    tree = folder / "Data_UploadFiles" / "NetDriver" / "li" / "tree";
    std::filesystem::create_directories(flat);
    for (int i = 0; i < kFiles; ++i) std::ofstream(flat / ("file" + std::to_string(i) + ".txt")) << "text " << i;
    for (int f = 0; f < 100; ++f) {
      std::filesystem::path sub = tree / ("folder" + std::to_string(f));
      std::filesystem::create_directories(sub);
      for (int i = 0; i < kFiles / 100; ++i) std::ofstream(sub / ("file" + std::to_string(i) + ".txt")) << "text " << i;
    }
    if (DrivePage().find("file9999.txt") == std::string::npos) std::abort();
  }
  std::string DrivePage() {
    asp::RequestSpec wanted;
    wanted.method = u"GET";
    wanted.url = u"/qe/main/netdrivers.asp?p_CurrentFolder=%2Fflat%2F";
    wanted.site_root = root;
    wanted.session = {{u"UserInfo", vb::Variant(u"7|li|li|Office|b|20240101|x")},
                    {u"UserInfoSize", vb::Variant(u"1|1|1|1|100")}};
    asp::Context context(std::move(wanted));
    asp::ContextScope current(context);
    host::Page page{context.Request(), context.Response(), context.Server(), context.Session(),
                    context.Application()};
    host::NetDriversPage(page);
    context.Finish();
    return context.ResponseBody();
  }

  std::filesystem::path flat, tree;
};

Site& site() {
  static Site s;
  return s;
}

void BM_DrivePage(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(site().DrivePage());
}
BENCHMARK(BM_DrivePage)->Unit(benchmark::kMillisecond);

void BM_ReaddirStat(benchmark::State& state) {
  std::string path = site().flat.string();
  for (auto _ : state) {
    DIR* dir = opendir(path.c_str());
    size_t total = 0;
    while (dirent* entry = readdir(dir)) {
      struct stat status {};
      if (fstatat(dirfd(dir), entry->d_name, &status, 0) == 0) total += status.st_size;
    }
    closedir(dir);
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_ReaddirStat)->Unit(benchmark::kMillisecond);

void BM_FolderSize(benchmark::State& state) {
  vb::String real = u"C:\\Data_UploadFiles\\NetDriver\\li\\tree";
  for (auto _ : state) benchmark::DoNotOptimize(qe::netdrive::FolderSize(real));
}
BENCHMARK(BM_FolderSize)->Unit(benchmark::kMillisecond);

uintmax_t nftw_total = 0;
int AddSize(const char*, const struct stat* status, int type, struct FTW*) {
  if (type == FTW_F) nftw_total += status->st_size;
  return 0;
}

void BM_Nftw(benchmark::State& state) {
  std::string path = site().tree.string();
  for (auto _ : state) {
    nftw_total = 0;
    nftw(path.c_str(), AddSize, 32, FTW_PHYS);
    benchmark::DoNotOptimize(nftw_total);
  }
}
BENCHMARK(BM_Nftw)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  site();
  return bench_support::RunWithSummary(argc, argv, [](const bench_support::Seconds& seconds) {
    double page = bench_support::SecondsOf(seconds, "BM_DrivePage");
    double readdir = bench_support::SecondsOf(seconds, "BM_ReaddirStat");
    double size = bench_support::SecondsOf(seconds, "BM_FolderSize");
    double walk = bench_support::SecondsOf(seconds, "BM_Nftw");
    if (page > 0 && readdir > 0)
      std::printf("\ndrive page of %d files: %.1f ms, %.2fx readdir+stat\n", kFiles, page * 1e3, page / readdir);
    if (size > 0 && walk > 0)
      std::printf("drive size of %d files in 100 folders: %.1f ms, %.2fx nftw\n", kFiles, size * 1e3, size / walk);
  });
}
