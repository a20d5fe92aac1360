#pragma once
// The benchmarks' database: drive C: mapped to a temporary folder holding
// C:\qe.mdb with a table of 100,000 articles, open through ADO and through
// SQLite directly.
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"

namespace bench_support {

inline constexpr int kArticles = 100000;

struct ArticleSite {
  ArticleSite() {
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
  ~ArticleSite() {
    sqlite3_close(db);
    connection = vb::Variant();
    fs::UnmapDrive(u'C');
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  ArticleSite(const ArticleSite&) = delete;
  ArticleSite& operator=(const ArticleSite&) = delete;

  std::filesystem::path folder;
  vb::Variant connection;
  sqlite3* db = nullptr;
};

// The one site of a benchmark program, made on first use.
inline ArticleSite& Articles() {
  static ArticleSite site;
  return site;
}

}  // namespace bench_support
