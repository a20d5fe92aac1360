#include "platform/ado/jet_catalog.h"

#include <algorithm>

#include "platform/ado/ado_types.h"
#include "platform/ado/errors.h"
#include "platform/ado/jet_dates.h"
#include "platform/ado/jet_sql.h"
#include "platform/ado/sqlite_values.h"
#include "platform/vb/convert.h"

namespace ado::catalog {
namespace {

using jet::QuoteName;

constexpr char kCatalogSchema[] =
    "CREATE TABLE IF NOT EXISTS MSysQeTables ("
    " TableName TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,"
    " DateCreated TEXT, DateModified TEXT);"
    "CREATE TABLE IF NOT EXISTS MSysQeColumns ("
    " TableName TEXT NOT NULL COLLATE NOCASE, ColumnName TEXT NOT NULL COLLATE NOCASE,"
    " Ordinal INTEGER NOT NULL, Type INTEGER NOT NULL, DefinedSize INTEGER NOT NULL,"
    " Precision INTEGER NOT NULL, Scale INTEGER NOT NULL, Nullable INTEGER NOT NULL,"
    " IsAutoIncrement INTEGER NOT NULL, AllowZeroLength INTEGER NOT NULL,"
    " Compressed INTEGER NOT NULL, FixedLength INTEGER NOT NULL, Description TEXT,"
    " DefaultType INTEGER NOT NULL, DefaultText TEXT,"
    " PRIMARY KEY (TableName, ColumnName));"
    "CREATE TABLE IF NOT EXISTS MSysQeIndexes ("
    " TableName TEXT NOT NULL COLLATE NOCASE, IndexName TEXT NOT NULL COLLATE NOCASE,"
    " Ordinal INTEGER NOT NULL, PrimaryKey INTEGER NOT NULL, IsUnique INTEGER NOT NULL,"
    " IndexNulls INTEGER NOT NULL, Clustered INTEGER NOT NULL,"
    " PRIMARY KEY (TableName, IndexName));"
    "CREATE TABLE IF NOT EXISTS MSysQeIndexColumns ("
    " TableName TEXT NOT NULL COLLATE NOCASE, IndexName TEXT NOT NULL COLLATE NOCASE,"
    " Ordinal INTEGER NOT NULL, ColumnName TEXT NOT NULL, SortOrder INTEGER NOT NULL,"
    " PRIMARY KEY (TableName, IndexName, Ordinal));"
    "CREATE TABLE IF NOT EXISTS MSysQeDatabase ("
    " Name TEXT NOT NULL COLLATE NOCASE PRIMARY KEY, Value TEXT);";

bool IsCatalogTable(StringView name) {
  return name.size() > 6 && vb::EqualsNoCase(name.substr(0, 6), u"MSysQe");
}

bool HasCatalog(Database& db) {
  Statement s = db.Prepare("SELECT 1 FROM sqlite_master WHERE type='table' AND name='MSysQeColumns'");
  return s.Step();
}

[[noreturn]] void Fail(int32_t hresult, String text, Database& db) { RaiseProvider(hresult, std::move(text), db.Source()); }

std::string TextSql(StringView text) {
  std::string out = "'";
  for (char c : vb::ToUtf8(text)) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

std::string Int(int64_t n) { return std::to_string(n); }

// The SQLite declaration of a column type; the catalog keeps the ADO type,
// the declaration only chooses how SQLite stores the values.
std::string Declaration(const ColumnDef& c) {
  std::string size = "(" + Int(c.DefinedSize()) + ")";
  switch (c.type) {
    case adSmallInt: return "SMALLINT";
    case adInteger: return "INTEGER";
    case adSingle: return "REAL";
    case adDouble: return "DOUBLE";
    case adCurrency: return "CURRENCY";
    case adDate: case adDBDate: case adDBTime: case adDBTimeStamp: return "DATETIME";
    case adBoolean: return "BIT";
    case adDecimal: case adNumeric: return "DECIMAL(" + Int(c.precision) + "," + Int(c.scale) + ")";
    case adTinyInt: return "TINYINT";
    case adUnsignedTinyInt: return "BYTE";
    case adBigInt: return "BIGINT";
    case adGUID: return "GUID";
    case adBinary: return "BINARY" + size;
    case adVarBinary: return "VARBINARY" + size;
    case adLongVarBinary: return "BLOB";
    case adChar: case adWChar: return "CHAR" + size;
    case adVarChar: case adVarWChar: case adBSTR: return "VARCHAR" + size;
    case adLongVarChar: case adLongVarWChar: return "LONGTEXT";
    default: return "";
  }
}

bool LooksLikeExpression(StringView text) {
  if (text.empty()) return false;
  char16_t c = text.front();
  if (c == u'\'' || c == u'"' || c == u'#' || c == u'-' || c == u'.' || (c >= u'0' && c <= u'9')) return true;
  if (text.find(u'(') != StringView::npos) return true;
  for (StringView w : {u"True", u"False", u"Yes", u"No", u"On", u"Off", u"Null"})
    if (vb::EqualsNoCase(text, w)) return true;
  return false;
}

std::string DefaultSql(const ColumnDef& c) {
  const Variant& v = c.default_value;
  if (v.IsEmpty() || v.IsNull()) return c.type == adBoolean ? " DEFAULT 0" : "";
  switch (v.Type()) {
    case vb::vbBoolean: return v.As<vb::Boolean>().value ? " DEFAULT -1" : " DEFAULT 0";
    case vb::vbDate: return " DEFAULT '" + jet::StoredDateText(v.As<vb::Date>()) + "'";
    case vb::vbString: break;
    default:
      if (v.IsNumericType()) return " DEFAULT " + vb::ToUtf8(vb::CStr(v));
      return "";
  }
  String text(v.As<String>());
  while (!text.empty() && text.front() == u' ') text.erase(text.begin());
  if (!text.empty() && text.front() == u'=') text.erase(text.begin());
  for (StringView w : {u"Yes", u"On"})
    if (vb::EqualsNoCase(text, w)) return " DEFAULT -1";
  for (StringView w : {u"No", u"Off"})
    if (vb::EqualsNoCase(text, w)) return " DEFAULT 0";
  if (!LooksLikeExpression(text)) return " DEFAULT " + TextSql(text);
  return " DEFAULT (" + jet::TranslateToSqlite(text) + ")";
}

bool InPrimaryKey(const TableDef& t, StringView column) {
  for (const auto& ix : t.indexes)
    if (ix.primary_key)
      for (const auto& ic : ix.columns)
        if (vb::EqualsNoCase(ic.name, column)) return true;
  return false;
}

std::string ColumnSql(const TableDef& t, const ColumnDef& c) {
  std::string sql = QuoteName(c.name) + " " + Declaration(c);
  if (c.autoincrement) return sql + " PRIMARY KEY AUTOINCREMENT NOT NULL";
  if (!c.nullable || c.type == adBoolean || InPrimaryKey(t, c.name)) sql += " NOT NULL";
  sql += DefaultSql(c);
  if (IsTextType(c.type)) sql += " COLLATE NOCASE";
  String where = t.name + u"." + c.name;
  if (HasSizeLimit(c.type)) {
    std::string length = IsTextType(c.type) ? "length(" : "length(CAST(";
    length += QuoteName(c.name) + (IsTextType(c.type) ? ")" : " AS BLOB))");
    sql += " CONSTRAINT " + QuoteName(u"qe_size:" + where) + " CHECK (" + length + " <= " +
           Int(c.DefinedSize()) + ")";
  }
  if (IsTextType(c.type) && !c.allow_zero_length)
    sql += " CONSTRAINT " + QuoteName(u"qe_zero_length:" + where) + " CHECK (" + QuoteName(c.name) + " <> '')";
  return sql;
}

const ColumnDef* AutoIncrementColumn(const TableDef& t) {
  for (const auto& c : t.columns)
    if (c.autoincrement) return &c;
  return nullptr;
}

// The primary key that SQLite's row id already is.
bool IsRowIdIndex(const TableDef& t, const IndexDef& ix) {
  const ColumnDef* auto_column = AutoIncrementColumn(t);
  return ix.primary_key && auto_column && ix.columns.size() == 1 &&
         vb::EqualsNoCase(ix.columns[0].name, auto_column->name);
}

std::string IndexSqlName(StringView table, StringView index) { return QuoteName(String(table) + u"." + String(index)); }

std::string CreateIndexSql(const TableDef& t, const IndexDef& ix) {
  std::string sql = ix.unique || ix.primary_key ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
  sql += IndexSqlName(t.name, ix.name) + " ON " + QuoteName(t.name) + " (";
  for (size_t i = 0; i < ix.columns.size(); ++i) {
    if (i) sql += ", ";
    sql += QuoteName(ix.columns[i].name);
    if (ix.columns[i].sort_order == 2) sql += " DESC";
  }
  return sql + ")";
}

std::string CreateTableSql(const TableDef& t, StringView as_name) {
  std::string sql = "CREATE TABLE " + QuoteName(as_name) + " (";
  for (size_t i = 0; i < t.columns.size(); ++i) {
    if (i) sql += ", ";
    sql += ColumnSql(t, t.columns[i]);
  }
  return sql + ")";
}

std::string Now() { return jet::StoredDateText(vb::Now()); }

void WriteCatalog(Database& db, StringView old_name, const TableDef& t) {
  for (const char* table : {"MSysQeColumns", "MSysQeIndexes", "MSysQeIndexColumns"}) {
    db.Prepare(std::string("DELETE FROM ") + table + " WHERE TableName=?1 OR TableName=?2").Run(String(old_name), t.name);
  }
  if (!vb::EqualsNoCase(old_name, t.name))
    db.Prepare("UPDATE MSysQeTables SET TableName=?2 WHERE TableName=?1").Run(String(old_name), t.name);
  db.Prepare(
        "INSERT INTO MSysQeTables (TableName, DateCreated, DateModified) VALUES (?1, ?2, ?2) "
        "ON CONFLICT (TableName) DO UPDATE SET TableName=?1, DateModified=?2")
      .Run(t.name, vb::FromUtf8(Now()));
  Statement col = db.Prepare(
      "INSERT INTO MSysQeColumns (TableName, ColumnName, Ordinal, Type, DefinedSize, Precision, Scale, "
      "Nullable, IsAutoIncrement, AllowZeroLength, Compressed, FixedLength, Description, DefaultType, "
      "DefaultText) VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14,?15)");
  for (size_t i = 0; i < t.columns.size(); ++i) {
    const ColumnDef& c = t.columns[i];
    Variant default_text = c.default_value.IsEmpty() || c.default_value.IsNull() ? Variant::Null()
                                                                                 : Variant(vb::CStr(c.default_value));
    // A Yes/No column never holds Null, and Jet says so whatever made it.
    bool nullable = c.nullable && c.type != adBoolean;
    col.Run(t.name, c.name, i + 1, c.type, c.defined_size, c.precision, c.scale, nullable, c.autoincrement,
            c.allow_zero_length, c.compressed, c.fixed_length, c.description, c.default_value.Type(), default_text);
  }
  Statement ix = db.Prepare(
      "INSERT INTO MSysQeIndexes (TableName, IndexName, Ordinal, PrimaryKey, IsUnique, IndexNulls, Clustered) "
      "VALUES (?1,?2,?3,?4,?5,?6,?7)");
  Statement ixc = db.Prepare(
      "INSERT INTO MSysQeIndexColumns (TableName, IndexName, Ordinal, ColumnName, SortOrder) "
      "VALUES (?1,?2,?3,?4,?5)");
  for (size_t i = 0; i < t.indexes.size(); ++i) {
    const IndexDef& d = t.indexes[i];
    ix.Run(t.name, d.name, i + 1, d.primary_key, d.unique || d.primary_key, d.index_nulls, d.clustered);
    for (size_t k = 0; k < d.columns.size(); ++k)
      ixc.Run(t.name, d.name, k + 1, d.columns[k].name, d.columns[k].sort_order);
  }
}

void RemoveFromCatalog(Database& db, StringView table) {
  if (!HasCatalog(db)) return;
  for (const char* t : {"MSysQeTables", "MSysQeColumns", "MSysQeIndexes", "MSysQeIndexColumns"}) {
    db.Prepare(std::string("DELETE FROM ") + t + " WHERE TableName=?1").Run(String(table));
  }
}

bool SqliteTableExists(Database& db, StringView table) {
  Statement s = db.Prepare("SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE");
  s.Bind(1, Variant(String(table)));
  return s.Step();
}

void CheckDefinition(Database& db, const TableDef& t) {
  for (size_t i = 0; i < t.columns.size(); ++i) {
    const ColumnDef& c = t.columns[i];
    if (c.name.empty()) Fail(kDbErrorsInCommand, u"Invalid field definition in definition of table.", db);
    if (Declaration(c).empty()) Fail(kDbErrorsInCommand, u"Type is invalid.", db);
    if (c.autoincrement && c.type != adInteger)
      Fail(kDbErrorsInCommand, u"Invalid field data type.", db);
    if (HasSizeLimit(c.type) && IsTextType(c.type) && c.DefinedSize() > 255)
      Fail(kDbErrorsInCommand, u"Size of field '" + c.name + u"' is too long.", db);
    for (size_t k = 0; k < i; ++k)
      if (vb::EqualsNoCase(t.columns[k].name, c.name))
        Fail(kDbErrorsInCommand, u"Field '" + t.name + u"." + c.name + u"' already exists in table '" + t.name +
                                     u"'.", db);
    if (c.autoincrement && AutoIncrementColumn(t) != &c)
      Fail(kDbErrorsInCommand, u"Resultant table not allowed to have more than one AutoNumber field.", db);
  }
  int primary = 0;
  for (const auto& ix : t.indexes) {
    primary += ix.primary_key;
    if (ix.columns.empty()) Fail(kDbErrorsInCommand, u"Index '" + ix.name + u"' has no fields.", db);
    for (const auto& ic : ix.columns)
      if (!t.FindColumn(ic.name))
        Fail(kDbErrorsInCommand, u"Cannot find field '" + ic.name + u"' in table '" + t.name + u"'.", db);
  }
  if (primary > 1) Fail(kEFail, u"Primary key already exists.", db);
}

// Makes the SQLite table match `updated`; the old one (when there was one)
// gives its rows to the columns whose names both have, and to a renamed
// column (`renamed`: its new name, then its old one).
void Build(Database& db, const TableDef* old, const TableDef& updated,
           const std::pair<String, String>& renamed = {}) {
  CheckDefinition(db, updated);
  WithSavepoint(db, [&] {
    Ensure(db);
    bool had_table = old && SqliteTableExists(db, old->name);
    if (had_table && updated.columns.empty()) {
      db.Exec("DROP TABLE " + QuoteName(old->name));
    } else if (!had_table && !updated.columns.empty()) {
      db.Exec(CreateTableSql(updated, updated.name));
    } else if (had_table) {
      const String scratch = u"MSysQeRebuild";
      db.Exec(CreateTableSql(updated, scratch));
      std::string targets, sources;
      for (const auto& c : updated.columns) {
        String source = !renamed.first.empty() && vb::EqualsNoCase(c.name, renamed.first) ? renamed.second : c.name;
        if (!old->FindColumn(source)) continue;
        targets += (targets.empty() ? "" : ", ") + QuoteName(c.name);
        sources += (sources.empty() ? "" : ", ") + QuoteName(source);
      }
      if (!targets.empty())
        db.Exec("INSERT INTO " + QuoteName(scratch) + " (" + targets + ") SELECT " + sources + " FROM " +
                QuoteName(old->name));
      db.Exec("DROP TABLE " + QuoteName(old->name));
      db.Exec("ALTER TABLE " + QuoteName(scratch) + " RENAME TO " + QuoteName(updated.name));
    }
    if (!updated.columns.empty())
      for (const auto& ix : updated.indexes)
        if (!IsRowIdIndex(updated, ix)) db.Exec(CreateIndexSql(updated, ix));
    WriteCatalog(db, old ? StringView(old->name) : StringView(updated.name), updated);
  });
}

TableDef MustRead(Database& db, StringView table) {
  auto t = ReadTable(db, table);
  if (!t)
    Fail(kDbNoSuchTable, u"The Microsoft Jet database engine cannot find the input table or query '" +
                             String(table) + u"'.  Make sure it exists and that its name is spelled correctly.",
         db);
  return *t;
}

int32_t SizeIn(StringView declared) {
  size_t open = declared.find(u'(');
  if (open == StringView::npos) return 0;
  int32_t n = 0;
  for (size_t i = open + 1; i < declared.size() && declared[i] >= u'0' && declared[i] <= u'9'; ++i)
    n = n * 10 + (declared[i] - u'0');
  return n;
}

}  // namespace

int32_t ColumnDef::DefinedSize() const { return defined_size > 0 ? defined_size : DefaultDefinedSize(type); }

const ColumnDef* TableDef::FindColumn(StringView column) const {
  for (const auto& c : columns)
    if (vb::EqualsNoCase(c.name, column)) return &c;
  return nullptr;
}

const IndexDef* TableDef::FindIndex(StringView index) const {
  for (const auto& ix : indexes)
    if (vb::EqualsNoCase(ix.name, index)) return &ix;
  return nullptr;
}

void Ensure(Database& db) { db.Exec(kCatalogSchema); }

ColumnDef ColumnFromDeclaration(StringView name, StringView declared_type) {
  ColumnDef c;
  c.name = String(name);
  String d = vb::AsciiLowerCopy(declared_type);
  String base = d.substr(0, d.find(u'('));
  while (!base.empty() && base.back() == u' ') base.pop_back();
  int32_t size = SizeIn(d);
  auto is = [&](std::initializer_list<StringView> names) {
    for (StringView n : names)
      if (base == n) return true;
    return false;
  };
  if (is({u"counter", u"autoincrement", u"identity"})) {
    c.type = adInteger;
    c.autoincrement = true;
  } else if (is({u"integer", u"int", u"long", u"integer4", u"mediumint"})) {
    c.type = adInteger;
  } else if (is({u"smallint", u"short", u"integer2"})) {
    c.type = adSmallInt;
  } else if (is({u"byte", u"integer1"})) {
    c.type = adUnsignedTinyInt;
  } else if (is({u"tinyint"})) {
    c.type = adTinyInt;
  } else if (is({u"bigint"})) {
    c.type = adBigInt;
  } else if (is({u"bit", u"yesno", u"logical", u"logical1", u"boolean", u"bool"})) {
    c.type = adBoolean;
  } else if (is({u"datetime", u"date", u"time", u"timestamp", u"smalldatetime"})) {
    c.type = adDate;
  } else if (is({u"currency", u"money", u"smallmoney"})) {
    c.type = adCurrency;
  } else if (is({u"real", u"single", u"float4", u"ieeesingle"})) {
    c.type = adSingle;
  } else if (is({u"float", u"double", u"float8", u"ieeedouble", u"number", u"double precision"})) {
    c.type = adDouble;
  } else if (is({u"decimal", u"numeric", u"dec"})) {
    c.type = adNumeric;
  } else if (is({u"guid", u"uniqueidentifier"})) {
    c.type = adGUID;
  } else if (is({u"blob", u"image", u"longbinary", u"oleobject", u"general"})) {
    c.type = adLongVarBinary;
  } else if (is({u"binary", u"varbinary"})) {
    c.type = adVarBinary;
    c.defined_size = size > 0 ? size : 510;
  } else if (is({u"memo", u"longtext", u"longchar", u"note", u"ntext", u"clob"}) ||
             (is({u"text"}) && size == 0)) {
    c.type = adLongVarWChar;
  } else if (is({u"text", u"char", u"varchar", u"nvarchar", u"nchar", u"character", u"string",
                 u"alphanumeric", u"character varying"})) {
    c.type = adVarWChar;
    c.defined_size = size > 0 ? size : 255;
  } else {
    c.type = 0;
  }
  return c;
}

std::vector<TableEntry> ListTables(Database& db) {
  std::vector<TableEntry> out;
  Statement s = db.Prepare(
      "SELECT name, type FROM sqlite_master WHERE type IN ('table','view') AND name NOT LIKE 'sqlite\\_%' "
      "ESCAPE '\\'");
  while (s.Step()) {
    String name = vb::CStr(UntypedColumn(s.get(), 0));
    String type = vb::CStr(UntypedColumn(s.get(), 1));
    out.push_back({name, type == u"view" ? u"VIEW" : IsCatalogTable(name) ? u"SYSTEM TABLE" : u"TABLE"});
  }
  if (HasCatalog(db)) {
    // Tables without columns yet live in the catalog only.
    Statement empty = db.Prepare("SELECT TableName FROM MSysQeTables");
    while (empty.Step()) {
      String name = vb::CStr(UntypedColumn(empty.get(), 0));
      bool listed = std::any_of(out.begin(), out.end(), [&](const TableEntry& e) { return vb::EqualsNoCase(e.name, name); });
      if (!listed) out.push_back({name, u"TABLE"});
    }
  }
  std::sort(out.begin(), out.end(), [](const TableEntry& a, const TableEntry& b) {
    return vb::AsciiLowerCopy(a.name) < vb::AsciiLowerCopy(b.name);
  });
  return out;
}

bool TableExists(Database& db, StringView table) {
  for (const auto& e : ListTables(db))
    if (vb::EqualsNoCase(e.name, table)) return true;
  return false;
}

std::optional<TableDef> ReadTable(Database& db, StringView table) {
  TableDef t;
  bool catalog = HasCatalog(db);
  String sql_text;
  {
    Statement s = db.Prepare(
        "SELECT name, type, sql FROM sqlite_master WHERE type IN ('table','view') AND name=?1 COLLATE NOCASE");
    s.Bind(1, Variant(String(table)));
    if (s.Step()) {
      t.name = vb::CStr(UntypedColumn(s.get(), 0));
      t.type = vb::CStr(UntypedColumn(s.get(), 1)) == u"view" ? u"VIEW"
               : IsCatalogTable(t.name)                          ? u"SYSTEM TABLE"
                                                                 : u"TABLE";
      Variant text = UntypedColumn(s.get(), 2);
      if (text.IsString()) sql_text = vb::AsciiLowerCopy(text.As<String>());
    } else {
      if (!catalog) return std::nullopt;
      Statement e = db.Prepare("SELECT TableName FROM MSysQeTables WHERE TableName=?1");
      e.Bind(1, Variant(String(table)));
      if (!e.Step()) return std::nullopt;
      t.name = vb::CStr(UntypedColumn(e.get(), 0));
      return t;
    }
  }
  Statement info = db.Prepare("SELECT name, type, \"notnull\", pk FROM pragma_table_info(?1)");
  info.Bind(1, Variant(t.name));
  Statement kept;
  if (catalog)
    kept = db.Prepare(
        "SELECT Type, DefinedSize, Precision, Scale, Nullable, IsAutoIncrement, AllowZeroLength, Compressed, "
        "FixedLength, Description, DefaultType, DefaultText FROM MSysQeColumns WHERE TableName=?1 AND "
        "ColumnName=?2");
  bool catalog_indexes = false;
  while (info.Step()) {
    String name = vb::CStr(UntypedColumn(info.get(), 0));
    Variant declared = UntypedColumn(info.get(), 1);
    ColumnDef c = ColumnFromDeclaration(name, declared.IsString() ? declared.As<String>() : String());
    bool found = false;
    if (kept) {
      kept.Reset();
      kept.Bind(1, Variant(t.name));
      kept.Bind(2, Variant(name));
      if (kept.Step()) {
        sqlite3_stmt* k = kept.get();
        c.type = sqlite3_column_int(k, 0);
        c.defined_size = sqlite3_column_int(k, 1);
        c.precision = sqlite3_column_int(k, 2);
        c.scale = sqlite3_column_int(k, 3);
        c.nullable = sqlite3_column_int(k, 4) != 0;
        c.autoincrement = sqlite3_column_int(k, 5) != 0;
        c.allow_zero_length = sqlite3_column_int(k, 6) != 0;
        c.compressed = sqlite3_column_int(k, 7) != 0;
        c.fixed_length = sqlite3_column_int(k, 8) != 0;
        Variant description = UntypedColumn(k, 9);
        c.description = description.IsString() ? description.As<String>() : String();
        Variant text = UntypedColumn(k, 11);
        if (text.IsString())
          c.default_value = vb::CoerceTo(text, static_cast<vb::VarType>(sqlite3_column_int(k, 10)));
        found = catalog_indexes = true;
      }
    }
    if (!found) {
      c.nullable = vb::CLng(UntypedColumn(info.get(), 2)) == 0;
      if (c.type == adInteger && vb::CLng(UntypedColumn(info.get(), 3)) == 1 &&
          sql_text.find(u"autoincrement") != String::npos)
        c.autoincrement = true;
    }
    t.columns.push_back(std::move(c));
  }
  if (catalog_indexes) {
    Statement ix = db.Prepare(
        "SELECT IndexName, PrimaryKey, IsUnique, IndexNulls, Clustered FROM MSysQeIndexes WHERE TableName=?1 "
        "ORDER BY Ordinal");
    Statement ixc = db.Prepare(
        "SELECT ColumnName, SortOrder FROM MSysQeIndexColumns WHERE TableName=?1 AND IndexName=?2 ORDER BY "
        "Ordinal");
    ix.Bind(1, Variant(t.name));
    while (ix.Step()) {
      IndexDef d;
      d.name = vb::CStr(UntypedColumn(ix.get(), 0));
      d.primary_key = sqlite3_column_int(ix.get(), 1) != 0;
      d.unique = sqlite3_column_int(ix.get(), 2) != 0;
      d.index_nulls = sqlite3_column_int(ix.get(), 3);
      d.clustered = sqlite3_column_int(ix.get(), 4) != 0;
      ixc.Reset();
      ixc.Bind(1, Variant(t.name));
      ixc.Bind(2, Variant(d.name));
      while (ixc.Step())
        d.columns.push_back({vb::CStr(UntypedColumn(ixc.get(), 0)), sqlite3_column_int(ixc.get(), 1)});
      t.indexes.push_back(std::move(d));
    }
  } else {
    // Indexes that SQL made: SQLite's own list, the row id key as "PrimaryKey".
    for (const auto& c : t.columns)
      if (c.autoincrement) t.indexes.push_back({u"PrimaryKey", true, true, 0, false, {{c.name, 1}}});
    Statement list = db.Prepare("SELECT name, \"unique\", origin FROM pragma_index_list(?1)");
    list.Bind(1, Variant(t.name));
    while (list.Step()) {
      IndexDef d;
      d.name = vb::CStr(UntypedColumn(list.get(), 0));
      d.unique = sqlite3_column_int(list.get(), 1) != 0;
      d.primary_key = vb::CStr(UntypedColumn(list.get(), 2)) == u"pk";
      if (d.primary_key) d.name = u"PrimaryKey";
      Statement cols = db.Prepare("SELECT name, \"desc\" FROM pragma_index_xinfo(?1) WHERE key=1 ORDER BY seqno");
      cols.Bind(1, UntypedColumn(list.get(), 0));
      while (cols.Step())
        d.columns.push_back({vb::CStr(UntypedColumn(cols.get(), 0)), sqlite3_column_int(cols.get(), 1) ? 2 : 1});
      t.indexes.push_back(std::move(d));
    }
  }
  return t;
}

String CatalogCache::Setting(Database& db, StringView name) {
  uint64_t version = db.DataVersion();
  if (version != settings_data_version_) settings_.clear();
  settings_data_version_ = version;
  String key = vb::AsciiLowerCopy(name);
  if (auto it = settings_.find(key); it != settings_.end()) return it->second;
  String value = ReadSetting(db, name);
  settings_.emplace(std::move(key), value);
  return value;
}

std::shared_ptr<const TableDef> CatalogCache::FindTable(Database& db, StringView table) {
  String key = vb::AsciiLowerCopy(table);
  if (auto it = tables_.find(key); it != tables_.end()) return it->second;
  std::shared_ptr<const TableDef> found;
  if (auto read = ReadTable(db, table)) found = std::make_shared<const TableDef>(std::move(*read));
  tables_.emplace(std::move(key), found);
  return found;
}

String ReadSetting(Database& db, StringView name) {
  Statement exists = db.Prepare("SELECT 1 FROM sqlite_master WHERE type='table' AND name='MSysQeDatabase'");
  if (!exists.Step()) return {};
  Statement s = db.Prepare("SELECT Value FROM MSysQeDatabase WHERE Name=?1");
  s.Bind(1, Variant(String(name)));
  if (!s.Step()) return {};
  Variant v = UntypedColumn(s.get(), 0);
  return v.IsString() ? v.As<String>() : String();
}

void WriteSetting(Database& db, StringView name, StringView value) {
  Ensure(db);
  Statement s = db.Prepare("INSERT OR REPLACE INTO MSysQeDatabase (Name, Value) VALUES (?1, ?2)");
  s.Bind(1, Variant(String(name)));
  s.Bind(2, Variant(String(value)));
  s.Step();
}

void CreateTable(Database& db, const TableDef& table) {
  if (TableExists(db, table.name)) Fail(kDbErrorsInCommand, u"Table '" + table.name + u"' already exists.", db);
  Build(db, nullptr, table);
}

void DropTable(Database& db, StringView table) {
  TableDef t = MustRead(db, table);
  WithSavepoint(db, [&] {
    if (SqliteTableExists(db, t.name)) db.Exec("DROP TABLE " + QuoteName(t.name));
    RemoveFromCatalog(db, t.name);
  });
}

void RenameTable(Database& db, StringView table, StringView new_name) {
  TableDef t = MustRead(db, table);
  if (!vb::EqualsNoCase(table, new_name) && TableExists(db, new_name))
    Fail(kDbErrorsInCommand, u"Table '" + String(new_name) + u"' already exists.", db);
  TableDef renamed = t;
  renamed.name = String(new_name);
  Build(db, &t, renamed);
}

void AddColumn(Database& db, StringView table, const ColumnDef& column) {
  TableDef t = MustRead(db, table);
  TableDef updated = t;
  updated.columns.push_back(column);
  Build(db, &t, updated);
}

void DropColumn(Database& db, StringView table, StringView column) {
  TableDef t = MustRead(db, table);
  if (!t.FindColumn(column)) RaiseAdo(kErrItemNotFound, kSourceAdox);
  for (const auto& ix : t.indexes)
    for (const auto& ic : ix.columns)
      if (vb::EqualsNoCase(ic.name, column))
        Fail(kEFail, u"Cannot delete a field that is part of an index or is needed by the system.", db);
  TableDef updated = t;
  std::erase_if(updated.columns, [&](const ColumnDef& c) { return vb::EqualsNoCase(c.name, column); });
  Build(db, &t, updated);
}

void ChangeColumn(Database& db, StringView table, StringView column, const ColumnDef& changed) {
  TableDef t = MustRead(db, table);
  TableDef updated = t;
  bool found = false;
  for (auto& c : updated.columns)
    if (vb::EqualsNoCase(c.name, column)) c = changed, found = true;
  if (!found) RaiseAdo(kErrItemNotFound, kSourceAdox);
  // A new name: the indexes follow it, and so do the values.
  for (auto& ix : updated.indexes)
    for (auto& ic : ix.columns)
      if (vb::EqualsNoCase(ic.name, column)) ic.name = changed.name;
  Build(db, &t, updated, {changed.name, String(column)});
}

void AddIndex(Database& db, StringView table, const IndexDef& index) {
  TableDef t = MustRead(db, table);
  if (t.FindIndex(index.name)) Fail(kEFail, u"Index already exists.", db);
  TableDef updated = t;
  updated.indexes.push_back(index);
  if (!index.primary_key) {
    CheckDefinition(db, updated);
    WithSavepoint(db, [&] {
      Ensure(db);
      if (SqliteTableExists(db, t.name)) db.Exec(CreateIndexSql(updated, index));
      WriteCatalog(db, t.name, updated);
    });
    return;
  }
  Build(db, &t, updated);  // the key's columns become required
}

void DropIndex(Database& db, StringView table, StringView index) {
  TableDef t = MustRead(db, table);
  const IndexDef* ix = t.FindIndex(index);
  if (!ix) RaiseAdo(kErrItemNotFound, kSourceAdox);
  TableDef updated = t;
  std::erase_if(updated.indexes, [&](const IndexDef& d) { return vb::EqualsNoCase(d.name, index); });
  WithSavepoint(db, [&] {
    Ensure(db);
    if (!IsRowIdIndex(t, *ix)) db.Exec("DROP INDEX IF EXISTS " + IndexSqlName(t.name, ix->name));
    WriteCatalog(db, t.name, updated);
  });
}

}  // namespace ado::catalog
