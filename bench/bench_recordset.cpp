// A page of a large table: a keyset recordset over 100,000 articles, read at
// page 2,500 of 20 rows, against SQLite reading the same page with LIMIT and
// OFFSET, in one run: how many times the recordset takes, and the memory its
// keyset keeps per row after the page and with every key read.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "platform/ado/recordset.h"
#include "platform/com/registry.h"

#include "article_site.h"
#include "timing_reporter.h"

namespace {

using bench_support::kArticles;
using Site = bench_support::ArticleSite;
constexpr int kPageSize = 20;
constexpr int kPage = 2500;
constexpr char16_t kQuery[] = u"Select * From Article Order By id";

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
    if (ReadPageWithKeyset(bench_support::Articles(), &g_page_key_bytes) != kPageIdSum) state.SkipWithError("wrong rows");
  state.counters["key_bytes_per_row"] = g_page_key_bytes;
}

void BM_SqliteLimitOffset(benchmark::State& state) {
  for (auto _ : state)
    if (ReadPageWithSqlite(bench_support::Articles()) != kPageIdSum) state.SkipWithError("wrong rows");
}

// Every block of keys read: the most memory the keyset keeps.
void BM_KeysetAllKeys(benchmark::State& state) {
  double& key_bytes = g_all_key_bytes;
  for (auto _ : state) {
    vb::Variant rs(com::CreateObject(u"ADODB.Recordset"));
    com::Call(rs, u"Open", vb::String(kQuery), bench_support::Articles().connection, int32_t{1}, int32_t{1});
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
