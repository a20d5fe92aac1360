#include "platform/ado/sqlite_db.h"

#include "platform/ado/errors.h"
#include "platform/ado/jet_functions.h"
#include "platform/ado/replaceable_files.h"
#include "platform/ado/sqlite_values.h"

namespace ado {
namespace {

// How long a statement waits for another connection's lock, as Jet retries.
constexpr int kBusyTimeoutMs = 10000;

bool StartsWith(const std::string& s, std::string_view p) { return s.compare(0, p.size(), p) == 0; }

String After(const std::string& message, std::string_view prefix) {
  size_t at = message.find(prefix);
  return at == std::string::npos ? String() : vb::FromUtf8(message.substr(at + prefix.size()));
}

// The constraint names that the catalog gives its checks.
constexpr std::string_view kSizeCheck = "qe_size:";
constexpr std::string_view kZeroLengthCheck = "qe_zero_length:";

}  // namespace

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    if (stmt_) sqlite3_finalize(stmt_);
    db_ = other.db_;
    stmt_ = other.stmt_;
    other.stmt_ = nullptr;
  }
  return *this;
}

Statement::~Statement() {
  if (stmt_) sqlite3_finalize(stmt_);
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

std::shared_ptr<Database> Database::Open(const std::filesystem::path& file, Mode mode,
                                         String display_path, String source) {
  std::shared_ptr<Database> db(new Database());
  db->file_ = file;
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
  sqlite3_busy_timeout(db->db_, kBusyTimeoutMs);
  jet::RegisterFunctions(db->db_);
  // A file that is not a database fails here rather than at the first query.
  rc = sqlite3_exec(db->db_, "PRAGMA schema_version", nullptr, nullptr, nullptr);
  if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED)
    RaiseProvider(kEFail, u"Could not use '" + db->display_path_ + u"'; file already in use.", db->source_);
  if (rc != SQLITE_OK)
    RaiseProvider(kEFail, u"Unrecognized database format '" + db->display_path_ + u"'.", db->source_);
  return db;
}

Database::~Database() {
  if (db_) sqlite3_close_v2(db_);
}

void Database::Exec(const std::string& sql) {
  char* message = nullptr;
  int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
  sqlite3_free(message);
  if (rc != SQLITE_OK) Raise(rc);
}

Statement Database::Prepare(const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, &tail);
  if (rc != SQLITE_OK) Raise(rc);
  if (!stmt) RaiseProvider(kDbErrorsInCommand, u"Invalid SQL statement; expected 'DELETE', 'INSERT', "
                                               u"'PROCEDURE', 'SELECT', or 'UPDATE'.", source_);
  return Statement(this, stmt);
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
