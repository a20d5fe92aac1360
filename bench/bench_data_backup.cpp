// Backing up and restoring a 200 MB main database through CommDataBackup and
// CommDataRestore against, in the same run, a plain copy of the file there
// and back.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "facade/qecls.h"
#include "timing_reporter.h"

namespace {

namespace stdfs = std::filesystem;

// C: mapped to a temporary folder holding the site and a main database of
// about 200 MB of notices.
struct BackupSite {
  BackupSite() {
    std::string pattern = (stdfs::temp_directory_path() / "qe-backup-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    root = pattern;
    stdfs::create_directories(root / "site" / "data");
    fs::MapDrive(u'C', root);
    sqlite3* db;
    sqlite3_open(Main().c_str(), &db);
    const char* fill =
        "CREATE TABLE Notice (ID INTEGER PRIMARY KEY, Title TEXT, Body BLOB);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000)"
        " INSERT INTO Notice (Title, Body) SELECT 'notice ' || i, randomblob(1000) FROM n;";
    if (sqlite3_exec(db, fill, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
    sqlite3_close(db);
    bytes = static_cast<int64_t>(stdfs::file_size(Main()));
  }
  ~BackupSite() {
    fs::UnmapDrive(u'C');
    std::error_code ignored;
    stdfs::remove_all(root, ignored);
  }
  stdfs::path Main() const { return root / "site" / "data" / "qe.asp"; }
  stdfs::path root;
  int64_t bytes = 0;
};

BackupSite& site() {
  static BackupSite s;
  return s;
}

struct Call {
  asp::Context context{asp::RequestSpec{}};
  vb::Variant request = context.Request(), response = context.Response(), server = context.Server();
  vb::Variant qe{com::CreateObject(u"QE.QeCls")};
  bool Run(const char16_t* member, const char16_t* list) {
    return vb::CBool(com::Call(qe, member, response, request, server, vb::String(u"Access"), vb::String(list)));
  }
};

void BM_CommDataBackup(benchmark::State& state) {
  BackupSite& s = site();
  for (auto _ : state) {
    Call call;
    if (!call.Run(u"CommDataBackup", u"/data$bench$qe.asp")) state.SkipWithError("not backed up");
    state.PauseTiming();
    stdfs::remove_all(s.root / "site" / "data_backup");
    state.ResumeTiming();
  }
  state.counters["file_MB"] = static_cast<double>(s.bytes) / 1e6;
}

void BM_CopyFile(benchmark::State& state) {
  BackupSite& s = site();
  for (auto _ : state) {
    stdfs::create_directories(s.root / "site" / "data_backup" / "bench");
    stdfs::copy_file(s.Main(), s.root / "site" / "data_backup" / "bench" / "qe.asp");
    state.PauseTiming();
    stdfs::remove_all(s.root / "site" / "data_backup");
    state.ResumeTiming();
  }
}

void BM_CommDataRestore(benchmark::State& state) {
  BackupSite& s = site();
  stdfs::create_directories(s.root / "site" / "data_backup" / "saved");
  stdfs::copy_file(s.Main(), s.root / "site" / "data_backup" / "saved" / "qe.asp",
                   stdfs::copy_options::overwrite_existing);
  for (auto _ : state) {
    Call call;
    if (!call.Run(u"CommDataRestore", u"/data$saved$qe.asp")) state.SkipWithError("not restored");
    state.PauseTiming();
    stdfs::remove_all(s.root / "site" / "AutoBackup");
    state.ResumeTiming();
  }
}

// Copying the saved file back over the live one: no safety copy, no check.
void BM_CopyBack(benchmark::State& state) {
  BackupSite& s = site();
  for (auto _ : state)
    stdfs::copy_file(s.root / "site" / "data_backup" / "saved" / "qe.asp", s.Main(),
                     stdfs::copy_options::overwrite_existing);
}

BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CommDataBackup)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CommDataRestore)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CopyBack)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qe::RegisterComponentClasses();
  return bench_support::RunWithSummary(argc, argv, [](const bench_support::Seconds& seconds) {
    double backup = bench_support::SecondsOf(seconds, "BM_CommDataBackup");
    double copy = bench_support::SecondsOf(seconds, "BM_CopyFile");
    double restore = bench_support::SecondsOf(seconds, "BM_CommDataRestore");
    double back = bench_support::SecondsOf(seconds, "BM_CopyBack");
    if (backup <= 0 || copy <= 0 || restore <= 0 || back <= 0) return;
    std::printf("a %.0f MB main database: CommDataBackup takes %.2fx a plain copy; CommDataRestore (safety copy "
                "included) %.2fx copying it back\n",
                static_cast<double>(site().bytes) / 1e6, backup / copy, restore / back);
  });
}
