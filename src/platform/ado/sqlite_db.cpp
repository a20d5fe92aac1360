#include "platform/ado/sqlite_db.h"

#include "platform/ado/errors.h"
#include "platform/ado/jet_catalog.h"
#include "platform/ado/jet_functions.h"
#include "platform/ado/replaceable_files.h"
#include "platform/ado/sqlite_values.h"

namespace ado {
namespace {

bool StartsWith(const std::string& s, std::string_view p) { return s.compare(0, p.size(), p) == 0; }

String After(const std::string& message, std::string_view prefix) {
  size_t at = message.find(prefix);
  return at == std::string::npos ? String() : vb::FromUtf8(message.substr(at + prefix.size()));
}

// The constraint names that the catalog gives its checks.
constexpr std::string_view kSizeCheck = "qe_size:";
constexpr std::string_view kZeroLengthCheck = "qe_zero_length:";

}  // namespace

void ConfigureSqlite() {
  // Too late (and refused) when SQLite was used already; nothing else changes.
  static const int configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  (void)configured;
}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    if (stmt_) db_->Recycle(stmt_, keep_);
    db_ = other.db_;
    stmt_ = other.stmt_;
    keep_ = other.keep_;
    other.stmt_ = nullptr;
  }
  return *this;
}

Statement::~Statement() {
  if (stmt_) db_->Recycle(stmt_, keep_);
}

bool Statement::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3_reset(stmt_);
  db_->Raise(rc);
}

void Statement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

void Statement::Bind(int index, const Variant& value) { BindVariant(stmt_, index, value); }
void Statement::BindInt(int index, int64_t value) { sqlite3_bind_int64(stmt_, index, value); }

Database::Database() : catalog_(std::make_unique<catalog::CatalogCache>()) {}

std::shared_ptr<Database> Database::Open(const std::filesystem::path& file, Mode mode, String display_path,
                                         String source, std::chrono::milliseconds wait) {
  return Connect(file, mode, std::move(display_path), std::move(source), wait);
}

std::unique_ptr<Database> Database::Connect(const std::filesystem::path& file, Mode mode, String display_path,
                                            String source, std::chrono::milliseconds wait) {
  ConfigureSqlite();
  std::unique_ptr<Database> db(new Database());
  db->file_ = file;
  db->mode_ = mode;
  db->display_path_ = std::move(display_path);
  db->source_ = std::move(source);
  std::error_code ec;
  if (mode == Mode::kCreateNew && std::filesystem::exists(file, ec))
    RaiseProvider(kDbDatabaseExists, u"Database already exists.", db->source_);
  if (mode != Mode::kCreateNew && !std::filesystem::is_regular_file(file, ec))
    RaiseProvider(kEFail, u"Could not find file '" + db->display_path_ + u"'.", db->source_);
  UseReplaceableDatabaseFiles();
  int flags = SQLITE_OPEN_FULLMUTEX;
  flags |= mode == Mode::kReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (mode == Mode::kCreateNew) flags |= SQLITE_OPEN_CREATE;
  int rc = sqlite3_open_v2(file.c_str(), &db->db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    String text = mode == Mode::kCreateNew
                      ? u"Could not create the database file '" + db->display_path_ + u"'."
                      : u"Could not find file '" + db->display_path_ + u"'.";
    RaiseProvider(kEFail, text, db->source_);
  }
  sqlite3_extended_result_codes(db->db_, 1);
  sqlite3_busy_timeout(db->db_, static_cast<int>(wait.count()));
  jet::RegisterFunctions(db->db_);
  // Any rollback, a failed statement's included, can take back a change of
  // the schema.
  sqlite3_rollback_hook(db->db_, [](void* self) { static_cast<Database*>(self)->ForgetSchema(); }, db.get());
  // A file that is not a database fails here rather than at the first query.
  db->CheckReadable();
  return db;
}

Database::~Database() {
  DropKept();
  if (db_) sqlite3_close_v2(db_);
}

void Database::Exec(const std::string& sql) {
  if (StartsWith(sql, "ROLLBACK")) ForgetSchema();
  char* message = nullptr;
  int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
  sqlite3_free(message);
  if (rc != SQLITE_OK) Raise(rc);
}

// Reading the cookie through a table also makes the connection notice a
// changed schema (PRAGMA schema_version alone does not).
constexpr char kSchemaVersionSql[] = "SELECT schema_version FROM pragma_schema_version";

void Database::CheckReadable() {
  static const std::string kSql = kSchemaVersionSql;
  int rc = SQLITE_OK;
  sqlite3_stmt* stmt = TakeKept(kSql);
  if (!stmt) rc = sqlite3_prepare_v2(db_, kSql.c_str(), static_cast<int>(kSql.size()), &stmt, nullptr);
  int64_t version = -1;
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
      version = sqlite3_column_int64(stmt, 0);
      rc = SQLITE_OK;
    }
  }
  if (stmt) Recycle(stmt, true);
  if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED)
    RaiseProvider(kEFail, u"Could not use '" + display_path_ + u"'; file already in use.", source_);
  if (rc != SQLITE_OK)
    RaiseProvider(kEFail, u"Unrecognized database format '" + display_path_ + u"'.", source_);
  if (version != schema_version_) {
    DropKept();
    catalog_->ForgetTables();
    schema_version_ = version;
  }
}

void Database::RefreshSchema() {
  int64_t version;
  {
    Statement s = Prepare(kSchemaVersionSql);
    version = s.Step() ? sqlite3_column_int64(s.get(), 0) : -1;
  }
  if (version == schema_version_) return;
  DropKept();
  catalog_->ForgetTables();
  schema_version_ = version;
}

void Database::ForgetSchema() { schema_version_ = -1; }

void Database::DropKept() {
  for (auto& [sql, kept] : kept_)
    for (const Kept& k : kept) sqlite3_finalize(k.stmt);
  kept_.clear();
  kept_count_ = 0;
}

void Database::Reuse(String display_path, String source) {
  display_path_ = std::move(display_path);
  source_ = std::move(source);
  CheckReadable();
}

bool Database::Clean() {
  // A transaction its user left open is rolled back, as closing would.
  if (!sqlite3_get_autocommit(db_)) {
    ForgetSchema();
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  size_t statements = 0;
  for (sqlite3_stmt* s = sqlite3_next_stmt(db_, nullptr); s; s = sqlite3_next_stmt(db_, s)) {
    if (sqlite3_stmt_busy(s)) sqlite3_reset(s);
    ++statements;
  }
  // Any statement but the kept ones still has a user.
  return sqlite3_get_autocommit(db_) && statements == kept_count_;
}

catalog::CatalogCache& Database::Catalog() { return *catalog_; }

uint64_t Database::DataVersion() {
  unsigned int version = 0;
  sqlite3_file_control(db_, "main", SQLITE_FCNTL_DATA_VERSION, &version);
  return version;
}

// Enough for what one page prepares over and over; texts made of values
// (statements that are not parameterized) come and go.
constexpr size_t kMaxKeptStatements = 48;

sqlite3_stmt* Database::TakeKept(const std::string& sql) {
  auto it = kept_.find(sql);
  if (it == kept_.end()) return nullptr;
  sqlite3_stmt* stmt = it->second.back().stmt;
  it->second.pop_back();
  if (it->second.empty()) kept_.erase(it);
  --kept_count_;
  return stmt;
}

void Database::Recycle(sqlite3_stmt* stmt, bool keep) {
  if (!keep) {
    sqlite3_finalize(stmt);
    return;
  }
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  if (kept_count_ >= kMaxKeptStatements) {
    // The one given back longest ago goes.
    auto oldest = kept_.end();
    size_t at = 0;
    for (auto it = kept_.begin(); it != kept_.end(); ++it)
      for (size_t i = 0; i < it->second.size(); ++i)
        if (oldest == kept_.end() || it->second[i].used < oldest->second[at].used) oldest = it, at = i;
    sqlite3_finalize(oldest->second[at].stmt);
    oldest->second.erase(oldest->second.begin() + static_cast<std::ptrdiff_t>(at));
    if (oldest->second.empty()) kept_.erase(oldest);
    --kept_count_;
  }
  kept_[sqlite3_sql(stmt)].push_back({stmt, ++clock_});
  ++kept_count_;
}

ReadTransaction::ReadTransaction(Database& db) : db_(db) {
  if (!sqlite3_get_autocommit(db_.Handle())) return;
  db_.Prepare("BEGIN").Step();
  open_ = true;
}

void ReadTransaction::Finish() {
  if (!open_) return;
  open_ = false;
  try {
    db_.Prepare("COMMIT").Step();
  } catch (const vb::Error&) {
  }
  // A read has nothing to keep; whatever kept the transaction open ends it.
  if (!sqlite3_get_autocommit(db_.Handle())) sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

Statement Database::Prepare(const std::string& sql) {
  if (sqlite3_stmt* kept = TakeKept(sql)) return Statement(this, kept, true);
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, &tail);
  if (rc != SQLITE_OK) Raise(rc);
  if (!stmt) RaiseProvider(kDbErrorsInCommand, u"Invalid SQL statement; expected 'DELETE', 'INSERT', "
                                               u"'PROCEDURE', 'SELECT', or 'UPDATE'.", source_);
  // Only a text that is one whole statement is kept under that text.
  bool whole = tail == sql.c_str() + sql.size();
  return Statement(this, stmt, whole);
}

void Database::Raise(int rc) {
  std::string message = sqlite3_errmsg(db_);
  int primary = rc & 0xFF;
  if (primary == SQLITE_CONSTRAINT) {
    if (message.find(kSizeCheck) != std::string::npos)
      RaiseProvider(kEFail, u"The field is too small to accept the amount of data you attempted to add.  "
                            u"Try inserting or pasting less data.", source_);
    if (message.find(kZeroLengthCheck) != std::string::npos)
      RaiseProvider(kEFail, u"Field '" + After(message, kZeroLengthCheck) + u"' cannot be a zero-length string.",
                    source_);
    if (rc == SQLITE_CONSTRAINT_NOTNULL)
      RaiseProvider(kEFail, u"The field '" + After(message, "failed: ") +
                                u"' cannot contain a Null value because the Required property for this field "
                                u"is set to True.  Enter a value in this field.", source_);
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
      RaiseProvider(kEFail, u"The changes you requested to the table were not successful because they would "
                            u"create duplicate values in the index, primary key, or relationship.  Change the "
                            u"data in the field or fields that contain duplicate data, remove the index, or "
                            u"redefine the index to permit duplicate entries and try again.", source_);
    RaiseProvider(kDbIntegrityViolation, vb::FromUtf8(message), source_);
  }
  switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      RaiseProvider(kEFail, u"Could not update; currently locked.", source_);
    case SQLITE_READONLY:
      RaiseProvider(kEFail, u"Cannot update.  Database or object is read-only.", source_);
    case SQLITE_CANTOPEN:
      RaiseProvider(kEFail, u"Could not find file '" + display_path_ + u"'.", source_);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      RaiseProvider(kEFail, u"Unrecognized database format '" + display_path_ + u"'.", source_);
    case SQLITE_FULL:
      RaiseProvider(kEFail, u"Disk or network error.", source_);
    default:
      break;
  }
  if (StartsWith(message, "no such table: "))
    RaiseProvider(kDbNoSuchTable, u"The Microsoft Jet database engine cannot find the input table or query '" +
                                      After(message, "no such table: ") +
                                      u"'.  Make sure it exists and that its name is spelled correctly.",
                  source_);
  if (StartsWith(message, "no such column: "))
    RaiseProvider(kDbMissingParameter, u"No value given for one or more required parameters.", source_);
  if (StartsWith(message, "no such function: "))
    RaiseProvider(kDbErrorsInCommand, u"Undefined function '" + After(message, "no such function: ") +
                                          u"' in expression.", source_);
  if (StartsWith(message, "Data type mismatch"))
    RaiseProvider(kDbTypeMismatch, vb::FromUtf8(message), source_);
  if (message.find("already exists") != std::string::npos)
    RaiseProvider(kDbErrorsInCommand, vb::FromUtf8(message), source_);
  if (message.find("syntax error") != std::string::npos || StartsWith(message, "near ") ||
      message.find("incomplete input") != std::string::npos)
    RaiseProvider(kDbErrorsInCommand, u"Syntax error (" + vb::FromUtf8(message) + u") in query expression.",
                  source_);
  RaiseProvider(kEFail, vb::FromUtf8(message), source_);
}

}  // namespace ado
