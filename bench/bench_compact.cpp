// Compaction of a 200 MB database through CommAccessCompact (its backup
// included) against, in the same run, what any compaction must at least do:
// a plain copy of the file, VACUUM INTO a new file and a rename over the old.
// Also the most memory each takes above what the process held before it.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "maintenance/kesra_class_access.h"
#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "timing_reporter.h"

namespace {

namespace stdfs = std::filesystem;

constexpr int kRows = 360000;
constexpr int kBodyBytes = 520;

// The process's resident memory now and at its peak since the last reset, in bytes.
int64_t StatusBytes(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::atoll(line.c_str() + std::strlen(key)) * 1024;
  return 0;
}
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// C: mapped to a temporary folder holding the site C:\site and its database.
struct Site {
  Site() {
    std::string pattern = (stdfs::temp_directory_path() / "qe-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    stdfs::create_directories(folder / "site" / "data");
    fs::MapDrive(u'C', folder);
    {
      vb::Variant catalog(com::CreateObject(u"ADOX.Catalog"));
      vb::Variant conn = com::Call(catalog, u"Create",
                                   vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\qe.asp"));
      com::Call(conn, u"Execute",
                vb::String(u"Create Table Article (id Counter Primary Key, title Text(100), body Memo, hits Long)"));
      com::Call(conn, u"Execute", vb::String(u"Create Index ByTitle On Article (title)"));
    }
    // The rows go in through SQLite directly: filling is not what is measured.
    sqlite3* db;
    sqlite3_open(File().c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert;
    sqlite3_prepare_v2(db, "INSERT INTO Article (title, body, hits) VALUES (?, ?, ?)", -1, &insert, nullptr);
    std::string body(kBodyBytes, 'x');
    for (int i = 1; i <= kRows; ++i) {
      std::string title = "关于第" + std::to_string(i) + "次全体教师会议的通知";
      body.replace(0, 12, std::to_string(1000000000 + i) + "-|");
      sqlite3_bind_text(insert, 1, title.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 2, body.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(insert, 3, i % 1000);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    // Some rows gone, as in a database in use: there is room to give back.
    sqlite3_exec(db, "DELETE FROM Article WHERE id % 20 = 0; COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    bytes = static_cast<int64_t>(stdfs::file_size(File()));
  }
  ~Site() {
    fs::UnmapDrive(u'C');
    std::error_code ignored;
    stdfs::remove_all(folder, ignored);
  }
  stdfs::path File() const { return folder / "site" / "data" / "qe.asp"; }
  stdfs::path folder;
  int64_t bytes = 0;
};

Site& site() {
  static Site s;
  return s;
}

double g_compact_peak = 0, g_reference_peak = 0;

void BM_CommAccessCompact(benchmark::State& state) {
  Site& s = site();
  auto access = std::make_shared<qe::Kesra_Class_Access>();
  asp::Context context{asp::RequestSpec{}};
  vb::Variant request = context.Request(), response = context.Response(), server = context.Server();
  for (auto _ : state) {
    int64_t before = StatusBytes("VmRSS:");
    ResetPeak();
    if (!access->KesraAccessCompact(response, request, server, u"$", true, false, u""))
      state.SkipWithError("not compacted");
    g_compact_peak = static_cast<double>(StatusBytes("VmHWM:") - before);
    state.PauseTiming();
    stdfs::remove_all(s.folder / "site" / "AutoBackup");
    state.ResumeTiming();
  }
  state.counters["file_MB"] = static_cast<double>(s.bytes) / 1e6;
  state.counters["peak_MB"] = g_compact_peak / 1e6;
}

// Copy, VACUUM INTO, rename: with nobody else on the file.
void BM_CopyVacuumIntoRename(benchmark::State& state) {
  Site& s = site();
  const stdfs::path copy = s.folder / "copy.mdb", compacted = s.folder / "site" / "data" / "compacted.mdb";
  for (auto _ : state) {
    int64_t before = StatusBytes("VmRSS:");
    ResetPeak();
    stdfs::copy_file(s.File(), copy, stdfs::copy_options::overwrite_existing);
    sqlite3* db;
    sqlite3_open_v2(s.File().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (sqlite3_exec(db, ("VACUUM INTO '" + compacted.string() + "'").c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
      state.SkipWithError(sqlite3_errmsg(db));
    sqlite3_close(db);
    stdfs::rename(compacted, s.File());
    g_reference_peak = static_cast<double>(StatusBytes("VmHWM:") - before);
    state.PauseTiming();
    stdfs::remove(copy);
    state.ResumeTiming();
  }
  state.counters["peak_MB"] = g_reference_peak / 1e6;
}

BENCHMARK(BM_CopyVacuumIntoRename)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CommAccessCompact)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return bench_support::RunWithSummary(argc, argv, [](const bench_support::Seconds& seconds) {
    double compact = bench_support::SecondsOf(seconds, "BM_CommAccessCompact");
    double reference = bench_support::SecondsOf(seconds, "BM_CopyVacuumIntoRename");
    if (compact <= 0 || reference <= 0) return;
    std::printf("a %.0f MB database: CommAccessCompact takes %.2fx the time of copy + VACUUM INTO + rename; "
                "its peak memory above the start %.1f MB (the reference's %.1f MB)\n",
                static_cast<double>(site().bytes) / 1e6, compact / reference, g_compact_peak / 1e6,
                g_reference_peak / 1e6);
  });
}
