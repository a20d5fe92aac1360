#pragma once
// One SQLite connection of the Access providers, with Jet's functions and
// Jet's error numbers and texts.
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/vb/variant.h"

namespace ado {

using vb::String;
using vb::StringView;
using vb::Variant;

class Database;

// A prepared statement; finalized when it goes.
class Statement {
 public:
  Statement() = default;
  Statement(Database* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
  Statement(Statement&& other) noexcept { *this = std::move(other); }
  Statement& operator=(Statement&& other) noexcept;
  ~Statement();

  sqlite3_stmt* get() const { return stmt_; }
  explicit operator bool() const { return stmt_ != nullptr; }
  // True for a row, false when done; raises the provider's error.
  bool Step();
  void Reset();
  void Bind(int index, const Variant& value);
  void BindInt(int index, int64_t value);
  int Columns() const { return sqlite3_column_count(stmt_); }
  // Binds the arguments to ?1, ?2, ... and steps once.
  template <class... A>
  bool Run(const A&... args) {
    Reset();
    int index = 0;
    (BindArg(++index, args), ...);
    return Step();
  }

 private:
  void BindArg(int index, const Variant& value) { Bind(index, value); }
  void BindArg(int index, const String& value) { Bind(index, Variant(value)); }
  template <class N>
    requires std::is_integral_v<N>
  void BindArg(int index, N value) {
    BindInt(index, static_cast<int64_t>(value));
  }

  Database* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
};

class Database {
 public:
  enum class Mode { kOpenExisting, kCreateNew, kReadOnly };
  // `display_path` is the path as the component named it (for messages);
  // `source` names the engine in errors.
  static std::shared_ptr<Database> Open(const std::filesystem::path& file, Mode mode,
                                        String display_path, String source);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* Handle() const { return db_; }
  const String& Source() const { return source_; }
  const String& DisplayPath() const { return display_path_; }
  const std::filesystem::path& File() const { return file_; }

  void Exec(const std::string& sql);
  Statement Prepare(const std::string& sql);
  // Raises the provider's error for a result code of this connection.
  [[noreturn]] void Raise(int rc);
  int64_t Changes() const { return sqlite3_changes64(db_); }
  int64_t LastRowId() const { return sqlite3_last_insert_rowid(db_); }

 private:
  Database() = default;
  sqlite3* db_ = nullptr;
  std::filesystem::path file_;
  String display_path_;
  String source_;
};

// Runs a body inside a savepoint: released when it returns, rolled back when
// it raises.
template <class Body>
void WithSavepoint(Database& db, Body&& body) {
  db.Exec("SAVEPOINT qe_step");
  try {
    body();
  } catch (...) {
    try {
      db.Exec("ROLLBACK TO qe_step");
      db.Exec("RELEASE qe_step");
    } catch (...) {
    }
    throw;
  }
  db.Exec("RELEASE qe_step");
}

}  // namespace ado
