#pragma once
// One SQLite connection of the Access providers, with Jet's functions and
// Jet's error numbers and texts.
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/vb/variant.h"

namespace ado {

using vb::String;
using vb::StringView;
using vb::Variant;

// How long a statement waits for another connection's lock, as Jet retries.
inline constexpr std::chrono::milliseconds kStatementWait{10000};

// Before the first SQLite call of the process: SQLite counts the memory it
// allocates under one process-wide lock unless told not to, and pages on
// many threads then queue on that lock. (Called by every open here.)
void ConfigureSqlite();

class Database;
namespace catalog {
class CatalogCache;
}

// A prepared statement of a database; when it goes, it is reset and kept by
// the database for the next Prepare of the same text.
class Statement {
 public:
  Statement() = default;
  // `keep`: the database keeps it for its text when it goes.
  Statement(Database* db, sqlite3_stmt* stmt, bool keep) : db_(db), stmt_(stmt), keep_(keep) {}
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
  bool keep_ = false;
};

class Database {
 public:
  enum class Mode { kOpenExisting, kCreateNew, kReadOnly };
  // `display_path` is the path as the component named it (for messages);
  // `source` names the engine in errors; `wait`, how long its statements
  // (the first read of the file included) wait for other connections' locks.
  static std::shared_ptr<Database> Open(const std::filesystem::path& file, Mode mode, String display_path,
                                        String source, std::chrono::milliseconds wait = kStatementWait);
  // The same, owned by the caller (a pool of connections).
  static std::unique_ptr<Database> Connect(const std::filesystem::path& file, Mode mode, String display_path,
                                           String source, std::chrono::milliseconds wait = kStatementWait);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* Handle() const { return db_; }
  const String& Source() const { return source_; }
  const String& DisplayPath() const { return display_path_; }
  const std::filesystem::path& File() const { return file_; }
  Mode OpenMode() const { return mode_; }

  void Exec(const std::string& sql);
  // A statement for one SQL text: a kept one when the text was prepared before.
  Statement Prepare(const std::string& sql);
  // Raises the provider's error for a result code of this connection.
  [[noreturn]] void Raise(int rc);
  int64_t Changes() const { return sqlite3_changes64(db_); }
  int64_t LastRowId() const { return sqlite3_last_insert_rowid(db_); }
  // Before a statement's columns are read (they are read before it runs):
  // when the schema changed since the last look, from any connection, the
  // connection reads it anew and forgets its kept statements and tables.
  void RefreshSchema();
  // What was read of the catalog (tables since the schema last changed).
  catalog::CatalogCache& Catalog();
  // Changes with every write to the file, by any connection, as far as
  // this connection knows when its last read of the file began.
  uint64_t DataVersion();

  // A connection taken again for a new Open: named in errors as that Open
  // names it, and checked as a new connection is (a file locked by another
  // writer, or no database any more, fails the same way).
  void Reuse(String display_path, String source);
  // Before a connection is kept for another Open: rolls back what its user
  // left open and resets every statement. False when it cannot be made clean.
  bool Clean();

 private:
  friend class Statement;
  Database();
  // Fails as an open fails when the file cannot be read as a database now;
  // otherwise as RefreshSchema.
  void CheckReadable();
  // Whatever was read of the schema counts no more (after a rollback, the
  // schema cookie can come back to a number it had, with another schema).
  void ForgetSchema();
  void DropKept();
  // A kept statement of that text, taken out; nullptr when there is none.
  sqlite3_stmt* TakeKept(const std::string& sql);
  // Takes a statement back: reset and kept for its text, or finalized.
  void Recycle(sqlite3_stmt* stmt, bool keep);

  sqlite3* db_ = nullptr;
  std::filesystem::path file_;
  Mode mode_ = Mode::kOpenExisting;
  String display_path_;
  String source_;
  struct Kept {
    sqlite3_stmt* stmt;
    uint64_t used;  // when it was last given back, for dropping the oldest
  };
  std::unordered_map<std::string, std::vector<Kept>> kept_;
  size_t kept_count_ = 0;
  uint64_t clock_ = 0;
  int64_t schema_version_ = -1;  // as last seen; -1: not to be trusted
  std::unique_ptr<catalog::CatalogCache> catalog_;
};

// One read transaction for several statements that only read: the file is
// locked once for all of them instead of once each. Begun only outside a
// transaction. Nothing that writes runs in it (Finish first): a read lock
// that has to become a write lock fails at once instead of waiting its turn.
// A statement still reading when it finishes keeps its rows (and its lock)
// until it is done, as any statement does.
class ReadTransaction {
 public:
  explicit ReadTransaction(Database& db);
  ~ReadTransaction() { Finish(); }
  ReadTransaction(const ReadTransaction&) = delete;
  ReadTransaction& operator=(const ReadTransaction&) = delete;
  void Finish();

 private:
  Database& db_;
  bool open_ = false;
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
