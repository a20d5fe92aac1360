// The provider trial that every page runs first (the main database's
// connection string found again, under the Application lock) against one
// "SELECT 1" on an SQLite handle that is already open, in one run: how many
// times the trial takes. Then the page's own open and close of the main
// database, and one query through a recordset, against the same reference.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/ado/providers.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "facade/qecls.h"
#include "timing_reporter.h"

namespace {

// A site on drive C: with the configuration and main databases in place, as
// after its first request.
struct Site {
  Site() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qe-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    std::filesystem::create_directories(folder / "site" / "data");
    fs::MapDrive(u'C', folder);
    ado::InstallAllProviders();
    std::fclose(std::fopen((folder / "site" / "data" / "qe.asp").c_str(), "w"));
    vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\qe.asp"));
    com::Call(conn, u"Execute", vb::String(u"Create Table [Class] (ID Counter Primary Key, Class Text(50), "
                                           u"Active Bit, SortID Long)"));
    for (int i = 1; i <= 12; ++i)
      com::Call(conn, u"Execute",
                u"Insert Into [Class] (Class, Active, SortID) Values ('栏目" + vb::CStr(vb::Variant(i)) + u"', -1, " +
                    vb::CStr(vb::Variant(i)) + u")");
    com::Call(conn, u"Close");
    // The configuration database is made by the first call.
    Trial();
    sqlite3_open((folder / "site" / "data" / "qe.asp").c_str(), &db);
  }
  ~Site() {
    sqlite3_close(db);
    fs::UnmapDrive(u'C');
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  // The call as a page makes it; the page's objects are made once.
  void Trial() {
    com::Call(qe, u"CommGetApplicationConnString", response, request, server, app);
    if (asp::ResponseEnded(response)) std::abort();
  }

  asp::RequestSpec Spec() {
    asp::RequestSpec spec;
    spec.application = application;
    return spec;
  }

  std::filesystem::path folder;
  std::shared_ptr<asp::ApplicationState> application = std::make_shared<asp::ApplicationState>();
  asp::Context page{Spec()};
  vb::Variant request = page.Request(), response = page.Response(), server = page.Server(), app = page.Application();
  vb::Variant qe{std::make_shared<qe::QeCls>()};
  sqlite3* db = nullptr;
};

Site& site() {
  static Site s;
  return s;
}

void BM_SelectOne(benchmark::State& state) {
  sqlite3* db = site().db;
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT 1", -1, &stmt, nullptr);
    sqlite3_step(stmt);
    benchmark::DoNotOptimize(sqlite3_column_int(stmt, 0));
    sqlite3_finalize(stmt);
  }
}
BENCHMARK(BM_SelectOne);

void BM_ProviderTrial(benchmark::State& state) {
  Site& s = site();
  for (auto _ : state) s.Trial();
}
BENCHMARK(BM_ProviderTrial);

void BM_OpenClose(benchmark::State& state) {
  site();
  for (auto _ : state) {
    vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source =C:\\site\\data\\qe.asp"));
    com::Call(conn, u"Close");
  }
}
BENCHMARK(BM_OpenClose);

void BM_MenuQuery(benchmark::State& state) {
  site();
  vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Call(conn, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source =C:\\site\\data\\qe.asp"));
  for (auto _ : state) {
    vb::Variant rs(com::CreateObject(u"ADODB.Recordset"));
    com::Call(rs, u"Open", vb::String(u"Select ID, Class From [Class] Where Active=-1 Order By SortID"), conn,
              int32_t{1}, int32_t{1});
    int rows = 0;
    for (; !vb::CBool(com::Call(rs, u"EOF")); com::Call(rs, u"MoveNext")) ++rows;
    if (rows != 12) std::abort();
    com::Call(rs, u"Close");
  }
}
BENCHMARK(BM_MenuQuery);

}  // namespace

int main(int argc, char** argv) {
  return bench_support::RunWithSummary(argc, argv, [](const bench_support::Seconds& seconds) {
    double select_one = bench_support::SecondsOf(seconds, "BM_SelectOne");
    if (select_one <= 0) return;
    std::printf("\nagainst one SELECT 1 on an open handle (%.2f us), same run:\n", select_one * 1e6);
    for (const char* name : {"BM_ProviderTrial", "BM_OpenClose", "BM_MenuQuery"}) {
      double t = bench_support::SecondsOf(seconds, name);
      if (t > 0) std::printf("  %-18s %9.2f us  %7.1fx%s\n", name, t * 1e6, t / select_one,
                             std::string(name) == "BM_ProviderTrial" ? "   (target: within 20x)" : "");
    }
  });
}
