// A drop-down list of a dictionary category of 1,000 options, editing a
// record (state 2): the field cell reads the category through ADO and
// writes the list. Against SQLite alone reading the same names and appending
// the same option text, in the same run: how many times the cell takes.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "common/markup_encode.h"
#include "page/kesra_show_td.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "platform/vb/strings.h"

#include "timing_reporter.h"

namespace {

constexpr int kOptions = 1000;
constexpr char16_t kSelectedName[] = u"第500项 班级";

struct DictionarySite {
  DictionarySite() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qe-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    fs::MapDrive(u'C', folder);
    const std::filesystem::path file = folder / "qe.mdb";
    std::fclose(std::fopen(file.c_str(), "w"));
    connection = vb::Variant(com::CreateObject(u"ADODB.Connection"));
    com::Call(connection, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\qe.mdb"));
    com::Call(connection, u"Execute",
              vb::String(u"Create Table [Sjzd] ([ID] Counter Primary Key, [名称] Text(50), [分类] Text(50), [序号] Long)"));
    com::Call(connection, u"Execute", vb::String(u"Create Table [Article] ([ID] Counter Primary Key, [班级] Text(50))"));
    com::Call(connection, u"Execute", u"Insert Into Article (班级) Values ('" + vb::String(kSelectedName) + u"')");
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert;
    sqlite3_prepare_v2(db, "INSERT INTO Sjzd (名称, 分类, 序号) VALUES (?, ?, ?)", -1, &insert, nullptr);
    for (int i = 1; i <= kOptions; ++i) {
      const std::string name = "第" + std::to_string(i) + "项 班级";
      sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 2, "班级", -1, SQLITE_STATIC);
      sqlite3_bind_int(insert, 3, i);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    // Another category beside it, as a real dictionary has.
    for (int i = 1; i <= kOptions; ++i) {
      sqlite3_bind_text(insert, 1, "其他", -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 2, "其他", -1, SQLITE_STATIC);
      sqlite3_bind_int(insert, 3, i);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    record = vb::Variant(com::CreateObject(u"ADODB.Recordset"));
    com::Call(record, u"Open", vb::String(u"Select * From Article"), connection, int32_t{1}, int32_t{1});
  }
  ~DictionarySite() {
    com::Call(record, u"Close");
    sqlite3_close(db);
    connection = vb::Variant();
    fs::UnmapDrive(u'C');
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  std::filesystem::path folder;
  vb::Variant connection, record;
  sqlite3* db = nullptr;
};

DictionarySite& Site() {
  static DictionarySite site;
  return site;
}

void BM_DropDownCell(benchmark::State& state) {
  DictionarySite& site = Site();
  for (auto _ : state) {
    vb::String cell = qe::KesraShowTd(site.connection, site.record, 3, 200, 1, 1, u"班级", u"ClassName", u"班级", 0,
                                      u"班级", 2, 1, u"", u"", u"", u"", 0, u"", 1);
    if (cell.find(u" Selected >第500项 班级<") == vb::String::npos) state.SkipWithError("not selected");
    benchmark::DoNotOptimize(cell);
  }
}

// SQLite alone: the category's names in order, each appended as an option.
void BM_SqliteOptions(benchmark::State& state) {
  DictionarySite& site = Site();
  for (auto _ : state) {
    sqlite3_stmt* rows;
    sqlite3_prepare_v2(site.db, "SELECT 名称 FROM Sjzd WHERE 分类 = ?1 ORDER BY 序号", -1, &rows, nullptr);
    sqlite3_bind_text(rows, 1, "班级", -1, SQLITE_STATIC);
    vb::String out = u"<select name='ClassName'>";
    while (sqlite3_step(rows) == SQLITE_ROW) {
      const vb::String name(static_cast<const char16_t*>(sqlite3_column_text16(rows, 0)),
                            static_cast<size_t>(sqlite3_column_bytes16(rows, 0)) / 2);
      out += u"<option value=\"" + qe::HtmlEncodeText(name) + u"\"" + (name == kSelectedName ? u" Selected " : u"") +
             u">" + name + u"</option>";
    }
    sqlite3_finalize(rows);
    out += u"</select>";
    benchmark::DoNotOptimize(out);
  }
}

BENCHMARK(BM_DropDownCell)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SqliteOptions)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return bench_support::RunWithSummary(argc, argv, [](const bench_support::Seconds& seconds) {
    const double cell = bench_support::SecondsOf(seconds, "BM_DropDownCell");
    const double direct = bench_support::SecondsOf(seconds, "BM_SqliteOptions");
    if (cell > 0 && direct > 0)
      std::printf("a drop-down list of %d dictionary options (editing): the field cell takes %.2fx the time of "
                  "SQLite reading the names and appending the options\n",
                  kOptions, cell / direct);
  });
}
