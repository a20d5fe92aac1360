#include "platform/ado/database_file.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <fstream>

#include "platform/ado/replaceable_files.h"
#include "platform/vb/error.h"
#include "platform/vb/string.h"

namespace ado {
namespace {

constexpr char kHeader[] = "SQLite format 3";  // and its NUL: 16 bytes
constexpr int kUnrecognizedFormat = 3343;
constexpr int kBusyWaitMs = 10000;

[[noreturn]] void NotADatabase(const std::filesystem::path& file) {
  vb::Raise(kUnrecognizedFormat, u"Unrecognized database format '" + vb::FromUtf8(file.string()) + u"'.");
}

}  // namespace

bool IsDatabaseFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  char head[sizeof kHeader] = {};
  return in.read(head, sizeof head) && std::equal(head, head + sizeof head, kHeader);
}

DatabaseFileFormat FormatOfDatabaseFile(const std::filesystem::path& file) {
  UseReplaceableDatabaseFiles();
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_stmt* stmt = nullptr;
  // The header is read, under the readers' lock, as the schema is: with no
  // busy wait set, a file that a writer holds fails at once as busy.
  if (rc == SQLITE_OK) rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &stmt, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(stmt);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  if (rc == SQLITE_ROW) return DatabaseFileFormat::kDatabase;
  return (rc & 0xFF) == SQLITE_NOTADB ? DatabaseFileFormat::kNotADatabase : DatabaseFileFormat::kUndecided;
}

bool IsWholeDatabaseFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char head[100] = {};
  if (!in.read(reinterpret_cast<char*>(head), sizeof head) || !std::equal(kHeader, kHeader + sizeof kHeader, head))
    return false;
  auto word = [&](int at) {
    return uint32_t{head[at]} << 24 | uint32_t{head[at + 1]} << 16 | uint32_t{head[at + 2]} << 8 | head[at + 3];
  };
  uint64_t page = uint64_t{head[16]} << 8 | head[17];
  if (page == 1) page = 65536;
  // The page count in the header is valid only where the engine that wrote
  // it says so (the counter it was written at matches the change counter).
  if (word(92) != word(24) || word(28) == 0) return false;
  std::error_code error;
  return std::filesystem::file_size(file, error) == page * word(28) && !error;
}

sqlite3* OpenDatabaseFile(const std::filesystem::path& file) {
  UseReplaceableDatabaseFiles();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  // A page committing meanwhile holds readers off for a moment.
  sqlite3_busy_timeout(db, kBusyWaitMs);
  return db;
}

std::vector<std::string> DatabaseTableNames(const std::filesystem::path& file) {
  if (!IsDatabaseFile(file)) NotADatabase(file);
  std::vector<std::string> names;
  bool read = false;
  sqlite3* db = OpenDatabaseFile(file);
  if (db) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
                           -1, &stmt, nullptr) == SQLITE_OK) {
      int rc;
      while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        std::string name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        names.push_back(std::move(name));
      }
      read = rc == SQLITE_DONE;
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  if (!read) NotADatabase(file);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace ado
