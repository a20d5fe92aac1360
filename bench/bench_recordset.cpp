// A page of a large table: a keyset recordset over 100,000 articles, read at
// page 2,500 of 20 rows, against SQLite reading the same page with LIMIT and
// OFFSET, in one run: how many times the recordset takes, and the memory its
// keyset keeps per row after the page and with every key read.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/ado/recordset.h"
#include "timing_reporter.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"

namespace {

constexpr int kArticles = 100000;
constexpr int kPageSize = 20;
constexpr int kPage = 2500;
constexpr char16_t kQuery[] = u"Select * From Article Order By id";

// The database: C: mapped to a temporary folder holding C:\qe.mdb.
struct Site {
  Site() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qe-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    fs::MapDrive(u'C', folder);
    std::filesystem::path file = folder / "qe.mdb";
    std::fclose(std::fopen(file.c_str(), "w"));
    connection = vb::Variant(com::CreateObject(u"ADODB.Connection"));
    com::Call(connection, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\qe.mdb"));
    com::Call(connection, u"Execute",
              vb::String(u"Create Table Article (id Counter Primary Key, title Text(100), author Text(20), "
                         u"hits Long, added DateTime)"));
    // The rows go in through SQLite directly: filling is not what is measured.
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert;
    sqlite3_prepare_v2(db, "INSERT INTO Article (title, author, hits, added) VALUES (?, ?, ?, ?)", -1, &insert, nullptr);
    for (int i = 1; i <= kArticles; ++i) {
      std::string title = "关于第" + std::to_string(i) + "次全体教师会议的通知";
      std::string author = "教务处" + std::to_string(i % 37);
      char added[32];
      std::snprintf(added, sizeof added, "2024-%02d-%02d 08:%02d:00", 1 + i % 12, 1 + i % 28, i % 60);
      sqlite3_bind_text(insert, 1, title.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 2, author.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(insert, 3, i % 1000);
      sqlite3_bind_text(insert, 4, added, -1, SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  }
  ~Site() {
    sqlite3_close(db);
    connection = vb::Variant();
    fs::UnmapDrive(u'C');
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::filesystem::path folder;
  vb::Variant connection;
  sqlite3* db = nullptr;
};

Site& site() {
  static Site s;
  return s;
}

// Page 2,500 through a keyset recordset; returns the sum of the ids read.
int64_t ReadPageWithKeyset(Site& s, double* key_bytes_per_row) {
  int64_t sum = 0;
  vb::Variant rs(com::CreateObject(u"ADODB.Recordset"));
  com::Call(rs, u"Open", vb::String(kQuery), s.connection, int32_t{1}, int32_t{1});
  com::Let(rs, u"PageSize", vb::Variant(int32_t{kPageSize}));
  com::Let(rs, u"AbsolutePage", vb::Variant(int32_t{kPage}));
  for (int row = 0; row < kPageSize; ++row) {
    for (int field = 1; field < 5; ++field) benchmark::DoNotOptimize(com::ValueOf(com::Call(rs, u"", int32_t{field})));
    sum += vb::CLng(com::ValueOf(com::Call(rs, u"", int32_t{0})));
    com::Call(rs, u"MoveNext");
  }
  *key_bytes_per_row = static_cast<double>(dynamic_cast<ado::Recordset&>(*rs.GetObject()).KeyBytes()) / kArticles;
  com::Call(rs, u"Close");
  return sum;
}

// The same page with SQLite alone.
int64_t ReadPageWithSqlite(Site& s) {
  int64_t sum = 0;
  sqlite3_stmt* page;
  sqlite3_prepare_v2(s.db, "SELECT * FROM Article ORDER BY id LIMIT ?1 OFFSET ?2", -1, &page, nullptr);
  sqlite3_bind_int(page, 1, kPageSize);
  sqlite3_bind_int(page, 2, (kPage - 1) * kPageSize);
  while (sqlite3_step(page) == SQLITE_ROW) {
    sum += sqlite3_column_int(page, 0);
    for (int field = 1; field < 5; ++field) benchmark::DoNotOptimize(sqlite3_column_text16(page, field));
  }
  sqlite3_finalize(page);
  return sum;
}

constexpr int64_t kPageIdSum = (49981 + 50000) * 10;

double g_page_key_bytes = 0, g_all_key_bytes = 0;

void BM_KeysetPage(benchmark::State& state) {
  for (auto _ : state)
    if (ReadPageWithKeyset(site(), &g_page_key_bytes) != kPageIdSum) state.SkipWithError("wrong rows");
  state.counters["key_bytes_per_row"] = g_page_key_bytes;
}

void BM_SqliteLimitOffset(benchmark::State& state) {
  for (auto _ : state)
    if (ReadPageWithSqlite(site()) != kPageIdSum) state.SkipWithError("wrong rows");
}

// Every block of keys read: the most memory the keyset keeps.
void BM_KeysetAllKeys(benchmark::State& state) {
  double& key_bytes = g_all_key_bytes;
  for (auto _ : state) {
    vb::Variant rs(com::CreateObject(u"ADODB.Recordset"));
    com::Call(rs, u"Open", vb::String(kQuery), site().connection, int32_t{1}, int32_t{1});
    for (int32_t position = 1; position <= kArticles; position += 512) {
      com::Let(rs, u"AbsolutePosition", vb::Variant(position));
      benchmark::DoNotOptimize(com::ValueOf(com::Call(rs, u"", int32_t{0})));
    }
    key_bytes = static_cast<double>(dynamic_cast<ado::Recordset&>(*rs.GetObject()).KeyBytes()) / kArticles;
    com::Call(rs, u"Close");
  }
  state.counters["key_bytes_per_row"] = key_bytes;
}

BENCHMARK(BM_KeysetPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteLimitOffset)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeysetAllKeys)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench_support::RunWithSummary(argc, argv, [](const bench_support::Seconds& seconds) {
    double keyset = bench_support::SecondsOf(seconds, "BM_KeysetPage");
    double direct = bench_support::SecondsOf(seconds, "BM_SqliteLimitOffset");
    if (keyset <= 0 || direct <= 0) return;
    std::printf("page %d of %d rows: the keyset recordset takes %.2fx the time of LIMIT/OFFSET; its keys "
                "take %.2f bytes per row after the page, %.2f with every key read\n",
                kPage, kArticles, keyset / direct, g_page_key_bytes, g_all_key_bytes);
  });
}
