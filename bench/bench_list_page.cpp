// A list page's work in the component over 100,000 articles, at pages 1,
// 2,500 and 5,000 (the last) of 20 rows: the SQL tail, the keyset recordset
// opened on it, the move to the requested page, the 20 rows with their title
// links, and the pager bar. Against SQLite alone counting the rows and reading
// the same page with LIMIT and OFFSET, in the same run: how many times the
// list page takes, at each page.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "page/kesra_show_page.h"
#include "page/kesra_show_title.h"
#include "platform/asp/context.h"
#include "platform/com/registry.h"

#include "article_site.h"
#include "timing_reporter.h"

namespace {

using bench_support::kArticles;
using Site = bench_support::ArticleSite;
constexpr int kPageSize = 20;
constexpr int kLastPage = kArticles / kPageSize;  // 5000, as the benchmarks name it
constexpr char16_t kSelect[] = u"Select id, title, author, hits From Article Where hits >= 0";

// The first id of a page, ordered by id.
constexpr int64_t FirstId(int page) { return static_cast<int64_t>(page - 1) * kPageSize + 1; }

// The page as a list page builds it; the sum of the ids on it.
int64_t ListPage(Site& s, int page) {
  asp::RequestSpec wanted;
  wanted.url = u"/qe/list.asp?Page=" + vb::FromUtf8(std::to_string(page));
  asp::Context context(std::move(wanted));
  vb::Variant request = context.Request();
  const vb::String sql = kSelect + qe::KesraGetOrderString(request, u"id", u"", u"", u"", u"");
  vb::Variant rs(com::CreateObject(u"ADODB.Recordset"));
  com::Call(rs, u"Open", sql, s.connection, int32_t{1}, int32_t{1});
  com::Let(rs, u"PageSize", vb::Variant(int32_t{kPageSize}));
  qe::KesraShowNoPage(request, rs);
  int64_t sum = 0;
  vb::String rows;
  for (int row = 0; row < kPageSize && !vb::CBool(com::Call(rs, u"EOF")); ++row) {
    sum += vb::CLng(com::ValueOf(com::Call(rs, u"", vb::String(u"id"))));
    rows += qe::KesraShowTitle(rs, u"show.asp", 24, 0, 0, u"", u"", 1, u"", u"");
    benchmark::DoNotOptimize(com::ValueOf(com::Call(rs, u"", vb::String(u"author"))));
    com::Call(rs, u"MoveNext");
  }
  rows += qe::KesraShowPage(request, rs, u"");
  benchmark::DoNotOptimize(rows);
  com::Call(rs, u"Close");
  return sum;
}

// SQLite alone: the count for the pager, then the page.
int64_t SqlitePage(Site& s, int page) {
  sqlite3_stmt* count;
  sqlite3_prepare_v2(s.db, "SELECT count(*) FROM Article WHERE hits >= 0", -1, &count, nullptr);
  sqlite3_step(count);
  benchmark::DoNotOptimize(sqlite3_column_int(count, 0));
  sqlite3_finalize(count);
  int64_t sum = 0;
  sqlite3_stmt* rows;
  sqlite3_prepare_v2(s.db, "SELECT id, title, author, hits FROM Article WHERE hits >= 0 ORDER BY id LIMIT ?1 OFFSET ?2",
                     -1, &rows, nullptr);
  sqlite3_bind_int(rows, 1, kPageSize);
  sqlite3_bind_int(rows, 2, (page - 1) * kPageSize);
  while (sqlite3_step(rows) == SQLITE_ROW) {
    sum += sqlite3_column_int(rows, 0);
    benchmark::DoNotOptimize(sqlite3_column_text16(rows, 1));
    benchmark::DoNotOptimize(sqlite3_column_text16(rows, 2));
  }
  sqlite3_finalize(rows);
  return sum;
}

constexpr int64_t PageIdSum(int page) { return (FirstId(page) * 2 + kPageSize - 1) * kPageSize / 2; }

template <int Page>
void BM_ListPage(benchmark::State& state) {
  for (auto _ : state)
    if (ListPage(bench_support::Articles(), Page) != PageIdSum(Page)) state.SkipWithError("wrong rows");
}

template <int Page>
void BM_SqlitePage(benchmark::State& state) {
  for (auto _ : state)
    if (SqlitePage(bench_support::Articles(), Page) != PageIdSum(Page)) state.SkipWithError("wrong rows");
}

BENCHMARK_TEMPLATE(BM_ListPage, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_SqlitePage, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_ListPage, 2500)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_SqlitePage, 2500)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_ListPage, 5000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_SqlitePage, 5000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench_support::RunWithSummary(argc, argv, [](const bench_support::Seconds& seconds) {
    for (int page : {1, 2500, kLastPage}) {
      const std::string suffix = "<" + std::to_string(page) + ">";
      double list = bench_support::SecondsOf(seconds, "BM_ListPage" + suffix);
      double direct = bench_support::SecondsOf(seconds, "BM_SqlitePage" + suffix);
      if (list <= 0 || direct <= 0) continue;
      std::printf("page %d of %d (%d rows): the list page's component work takes %.2fx the time of SQLite's "
                  "count(*) + LIMIT/OFFSET\n",
                  page, kLastPage, kArticles, list / direct);
    }
  });
}
