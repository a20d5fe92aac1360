#include "platform/ado/sqlite_session.h"

#include "platform/ado/ado_types.h"
#include "platform/ado/errors.h"
#include "platform/ado/jet_ddl.h"
#include "platform/ado/jet_sql.h"
#include "platform/ado/memory_rows.h"
#include "platform/ado/sqlite_rows.h"

namespace ado {
namespace {

// Jet allows five levels of nested transactions.
constexpr int kMaxTransactionLevel = 5;

std::string SavepointName(int level) { return "qe_trans_" + std::to_string(level); }

// True when every column of the statement comes straight from `table`, so
// that a row can be found again and written by its row id.
bool AllColumnsFrom(sqlite3_stmt* stmt, StringView table) {
  int n = sqlite3_column_count(stmt);
  if (n == 0) return false;
  for (int i = 0; i < n; ++i) {
    const char* origin = sqlite3_column_table_name(stmt, i);
    if (!origin || !vb::EqualsNoCase(vb::FromUtf8(origin), table)) return false;
  }
  return true;
}

int64_t ReadCount(Database& db, const std::string& sql) {
  Statement count = db.Prepare(sql);
  return count.Step() ? sqlite3_column_int64(count.get(), 0) : 0;
}

// Expressions whose type the select list tells: Jet's date functions, and
// Max or Min of a column (the column's type).
void TypeExpressions(Database& db, const std::vector<jet::Token>& tokens, std::vector<FieldInfo>& fields) {
  auto parts = jet::SplitSelect(tokens);
  if (!parts || parts->items.size() != fields.size()) return;
  for (size_t i = 0; i < fields.size(); ++i) {
    FieldInfo& field = fields[i];
    if (field.typed) continue;
    if (int type = jet::ExpressionType(parts->items[i])) {
      field.type = type;
      field.defined_size = DefaultDefinedSize(type);
      field.attributes = adFldIsNullable | adFldMayBeNull | adFldFixed;
      field.typed = true;
      continue;
    }
    std::vector<jet::Token> argument = jet::AggregateArgument(parts->items[i]);
    if (argument.empty()) continue;
    try {
      Statement probe = db.Prepare("SELECT " + jet::ToUtf8Sql(argument) + " " + parts->from);
      std::vector<FieldInfo> described = DescribeColumns(db, probe.get(), 0, nullptr, nullptr);
      if (described.size() == 1 && described[0].typed) {
        String name = field.name;
        field = described[0];
        field.name = name;
        field.attributes &= ~adFldUpdatable;
      }
    } catch (const vb::Error&) {
      // An argument that does not stand alone: typed by its values.
    }
  }
}

std::vector<FieldInfo> Describe(Database& db, sqlite3_stmt* stmt, bool keyed, const std::vector<jet::Token>& tokens) {
  std::vector<FieldInfo> fields = DescribeColumns(db, stmt, keyed ? 1 : 0, nullptr, nullptr);
  TypeExpressions(db, tokens, fields);
  return fields;
}

std::unique_ptr<MemoryRows> Materialize(Statement stmt, bool keyed, std::vector<FieldInfo> fields) {
  int first = keyed ? 1 : 0;
  std::vector<RowData> rows;
  while (stmt.Step()) {
    rows.emplace_back();
    ReadRow(stmt.get(), first, fields, rows.back());
  }
  TypeFieldsFromValues(fields, rows);
  return std::make_unique<MemoryRows>(std::move(fields), std::move(rows));
}

}  // namespace

String EngineSource(ProviderId provider) {
  bool jet = provider == ProviderId::kJet4 || provider == ProviderId::kJet351 || provider == ProviderId::kAccessOdbc;
  return jet ? u"Microsoft JET Database Engine" : u"Microsoft Access Database Engine";
}

QueryResult SqliteSession::Execute(StringView sql, CursorType cursor, bool updatable) {
  std::vector<jet::Token> tokens = jet::Translate(sql);
  QueryResult result;
  if (jet::ExecuteDdl(*db_, tokens)) {
    result.records_affected = 0;
    return result;
  }
  std::string text = jet::ToUtf8Sql(tokens);
  if (!jet::ReturnsRows(tokens)) {
    Statement s = db_->Prepare(text);
    s.Step();
    result.records_affected = db_->Changes();
    return result;
  }
  // The schema check, the description and the first rows (or the count and
  // the first keys) in one read of the file.
  ReadTransaction read(*db_);
  db_->RefreshSchema();
  Statement probe = db_->Prepare(text);
  if (!sqlite3_stmt_readonly(probe.get())) read.Finish();
  auto single = jet::AsSingleTableSelect(tokens);
  bool keyed = single && AllColumnsFrom(probe.get(), single->table_name);
  if (!keyed) {
    // Joins, groups, expressions: a snapshot or a stream, read-only.
    std::vector<FieldInfo> fields = Describe(*db_, probe.get(), false, tokens);
    if (cursor == CursorType::kForwardOnly) {
      result.rows = std::make_unique<StreamRows>(db_, std::move(probe), false, std::move(fields));
    } else {
      result.rows = Materialize(std::move(probe), false, std::move(fields));
      result.cursor = CursorType::kStatic;
    }
    return result;
  }
  std::vector<String> tables, columns;
  std::vector<FieldInfo> fields = DescribeColumns(*db_, probe.get(), 0, &tables, &columns);
  probe = Statement();
  std::string row_sql = single->RowByKeySql();
  result.cursor = cursor;
  switch (cursor) {
    case CursorType::kKeyset:
    case CursorType::kDynamic:
      result.rows = std::make_unique<KeysetRows>(db_, fields, ReadCount(*db_, single->CountSql()),
                                                 db_->Prepare(single->KeyBlockSql()), db_->Prepare(row_sql));
      break;
    case CursorType::kStatic:
      result.rows = Materialize(db_->Prepare(single->RowsWithKeysSql()), true, fields);
      break;
    case CursorType::kForwardOnly:
      result.rows = std::make_unique<StreamRows>(db_, db_->Prepare(single->RowsWithKeysSql()), true, fields);
      break;
  }
  if (updatable) {
    String table = tables.empty() ? single->table_name : tables.front();
    result.writer = std::make_unique<TableWriter>(db_, table, columns, fields, row_sql);
  }
  return result;
}

namespace {

class SqliteBoundStatement : public BoundStatement {
 public:
  SqliteBoundStatement(std::shared_ptr<Database> db, Statement statement)
      : db_(std::move(db)), statement_(std::move(statement)) {}
  int64_t Run(const std::vector<Variant>& values) override {
    statement_.Reset();
    int count = sqlite3_bind_parameter_count(statement_.get());
    if (static_cast<int>(values.size()) != count)
      RaiseProvider(kDbMissingParameter, u"No value given for one or more required parameters.",
                    db_->Source());
    for (int i = 0; i < count; ++i) statement_.Bind(i + 1, values[static_cast<size_t>(i)]);
    statement_.Step();
    int64_t changed = db_->Changes();
    statement_.Reset();  // lets go of the file and of the values bound
    return changed;
  }

 private:
  std::shared_ptr<Database> db_;
  Statement statement_;
};

}  // namespace

std::unique_ptr<BoundStatement> SqliteSession::Prepare(StringView sql) {
  std::vector<jet::Token> tokens = jet::Translate(sql);
  if (jet::ReturnsRows(tokens))
    RaiseProvider(kDbErrorsInCommand, u"A prepared statement here returns no rows.", db_->Source());
  db_->RefreshSchema();
  return std::make_unique<SqliteBoundStatement>(db_, db_->Prepare(jet::ToUtf8Sql(tokens)));
}

int SqliteSession::BeginTrans() {
  if (level_ >= kMaxTransactionLevel)
    RaiseProvider(kEFail, u"Transactions nested too deeply.", EngineSource(provider_));
  // The outermost level takes the write lock at once, so that concurrent
  // transactions wait for each other instead of failing when they write.
  db_->Exec(level_ == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT " + SavepointName(level_ + 1));
  return ++level_;
}

void SqliteSession::CommitTrans() {
  if (level_ == 0) RaiseProvider(kNoTransaction, u"No transaction is active.", EngineSource(provider_));
  db_->Exec(level_ == 1 ? "COMMIT" : "RELEASE " + SavepointName(level_));
  --level_;
}

void SqliteSession::RollbackTrans() {
  if (level_ == 0) RaiseProvider(kNoTransaction, u"No transaction is active.", EngineSource(provider_));
  if (level_ == 1) {
    db_->Exec("ROLLBACK");
  } else {
    db_->Exec("ROLLBACK TO " + SavepointName(level_));
    db_->Exec("RELEASE " + SavepointName(level_));
  }
  --level_;
}

}  // namespace ado
