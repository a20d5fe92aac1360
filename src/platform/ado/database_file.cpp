#include "platform/ado/database_file.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <fstream>

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

std::vector<std::string> DatabaseTableNames(const std::filesystem::path& file) {
  if (!IsDatabaseFile(file)) NotADatabase(file);
  sqlite3* db = nullptr;
  std::vector<std::string> names;
  bool read = false;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    // A page committing meanwhile holds readers off for a moment.
    sqlite3_busy_timeout(db, kBusyWaitMs);
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
