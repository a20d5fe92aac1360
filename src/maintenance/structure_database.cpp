#include "maintenance/structure_database.h"

#include "common/sql_literal.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "shell/connection_transaction.h"
#include "shell/new_database_file.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

vb::String Decimal(int32_t n) { return vb::CStr(vb::Variant(n)); }

vb::String Bracketed(vb::StringView name) { return u"[" + vb::String(name) + u"]"; }

// The property names that the provider gives a column, in its order.
std::vector<vb::String> ColumnPropertyNames() {
  vb::Variant properties = com::Call(vb::Variant(com::CreateObject(u"ADOX.Column")), u"Properties");
  std::vector<vb::String> names;
  for (int32_t i = 0, n = vb::CLng(com::Call(properties, u"Count")); i < n; ++i)
    names.push_back(vb::CStr(com::Call(com::Call(properties, u"Item", i), u"Name")));
  return names;
}

void Execute(const vb::Variant& conn, const vb::String& sql) { com::Call(conn, u"Execute", sql); }

void WriteTableRows(const vb::Variant& conn, const vb::String& mdb_id, const TableStructure& t) {
  const vb::String table_id = Decimal(t.table_id);
  const vb::String where = u" Where [MdbID]=" + mdb_id + u" And [TableID]=" + table_id + u" And [Name]=";
  for (const auto& c : t.columns)
    Execute(conn, u"Insert Into [FieldList] ([MdbID],[TableID],[Name]) Values(" + mdb_id + u"," + table_id + u"," +
                      SqlText(c.name) + u")");
  for (const auto& ix : t.indexes)
    Execute(conn, u"Insert Into [IndexList] ([MdbID],[TableID],IndexName,IndexPrimaryKey,IndexUnique,IndexNulls,"
                  u"IndexFieldList) Values(" +
                      mdb_id + u"," + table_id + u"," + SqlText(ix.name) + u"," +
                      ConfigurationText(vb::Variant(ix.primary_key)) + u"," +
                      ConfigurationText(vb::Variant(ix.unique)) + u"," + Decimal(ix.index_nulls) + u"," +
                      SqlText(ix.FieldList()) + u")");
  for (const auto& c : t.columns) {
    Execute(conn, u"Update [FieldList] Set Type=" + SqlText(Decimal(c.type)) + u",DefinedSize=" +
                      SqlText(Decimal(c.defined_size)) + u",NumericScale=" + SqlText(Decimal(c.numeric_scale)) +
                      where + SqlText(c.name));
    Execute(conn, u"Update [FieldList] Set [Position]=" + Decimal(c.position) + where + SqlText(c.name));
    if (c.properties.empty()) continue;
    // Every property as text, an empty one as '' (the columns hold text).
    vb::String sets;
    for (const auto& p : c.properties)
      sets += (sets.empty() ? u"" : u",") + Bracketed(p.name) + u"=" + SqlText(ConfigurationText(p.value));
    Execute(conn, u"Update [FieldList] Set " + sets + where + SqlText(c.name));
  }
}

// A recordset of the query, read-only (keyset cursor, read-only lock).
vb::Variant Query(const vb::Variant& conn, const vb::String& sql) {
  vb::Variant rs(com::CreateObject(u"ADODB.Recordset"));
  com::Call(rs, u"Open", sql, conn, int32_t{1}, int32_t{1});
  return rs;
}

vb::Variant FieldValue(const vb::Variant& rs, vb::StringView name) {
  return com::ValueOf(com::Call(rs, u"", vb::String(name)));
}

// Runs the query and hands each row to `row`; the recordset is closed after.
template <class Row>
void EachRow(const vb::Variant& conn, const vb::String& sql, Row&& row) {
  vb::Variant rs = Query(conn, sql);
  ClosedAtEnd closed(rs);
  for (; !vb::CBool(com::Call(rs, u"EOF")); com::Call(rs, u"MoveNext")) row(rs);
}

// A name or number as the lists collect it: Null is not one.
vb::String ListText(const vb::Variant& value) {
  if (value.IsNull()) vb::Raise(vb::kInvalidUseOfNull);
  return vb::CStr(value);
}

ConfiguredColumn ReadColumn(const vb::Variant& rs) {
  ConfiguredColumn c;
  c.name = StoredText(FieldValue(rs, u"Name"));
  c.type = StoredLong(FieldValue(rs, u"Type"));
  c.defined_size = StoredInteger(FieldValue(rs, u"DefinedSize"));
  c.autoincrement = StoredBoolean(FieldValue(rs, u"Autoincrement"));
  c.nullable = StoredBoolean(FieldValue(rs, u"Nullable"));
  c.allow_zero_length = StoredBoolean(FieldValue(rs, u"Jet OLEDB:Allow Zero Length"));
  c.description = StoredText(FieldValue(rs, u"Description"));
  vb::Variant fallback = FieldValue(rs, u"Default");
  c.default_value = fallback.IsNull() ? fallback : vb::Variant(vb::Trim(vb::CStr(fallback)));
  return c;
}

ConfiguredIndex ReadIndex(const vb::Variant& rs) {
  ConfiguredIndex ix;
  ix.name = StoredText(FieldValue(rs, u"IndexName"));
  ix.primary_key = StoredBoolean(FieldValue(rs, u"IndexPrimaryKey"));
  ix.unique = StoredBoolean(FieldValue(rs, u"IndexUnique"));
  ix.index_nulls = StoredBoolean(FieldValue(rs, u"IndexNulls"));
  ix.field_list = StoredText(FieldValue(rs, u"IndexFieldList"));
  return ix;
}

}  // namespace

void CreateConfigurationDatabase(const vb::String& path) {
  vb::Variant catalog(com::CreateObject(u"ADOX.Catalog"));
  vb::Variant conn = com::Call(catalog, u"Create", NewJetDatabaseConnectionString(path));
  vb::String properties;
  for (const vb::String& name : ColumnPropertyNames()) properties += u", " + Bracketed(name) + u" Memo";
  RunInTransaction(conn, [&] {
    Execute(conn, u"Create Table [MdbList] ([MdbID] Long, [MdbName] Text(255))");
    Execute(conn, u"Create Table [TableList] ([MdbID] Long, [TableID] Long, [TableName] Text(255), [TableSql] Memo)");
    Execute(conn, u"Create Table [FieldList] ([MdbID] Long, [TableID] Long, [Name] Text(255), [Type] Text(50), "
                  u"[DefinedSize] Text(50), [NumericScale] Text(50), [Position] Long" +
                      properties + u")");
    Execute(conn, u"Create Table [IndexList] ([MdbID] Long, [TableID] Long, [IndexName] Text(255), "
                  u"[IndexPrimaryKey] YesNo, [IndexUnique] YesNo, [IndexNulls] Long, [IndexFieldList] Memo)");
  });
  ClosedAtEnd closed(conn);
}

void WriteStructureDatabase(const vb::Variant& conn, const std::vector<DatabaseStructure>& databases) {
  for (const char16_t* table : {u"MdbList", u"TableList", u"FieldList", u"IndexList"})
    Execute(conn, u"Delete From " + Bracketed(table));
  for (size_t i = 0; i < databases.size(); ++i) {
    const DatabaseStructure& db = databases[i];
    const vb::String mdb_id = Decimal(static_cast<int32_t>(i + 1));
    Execute(conn, u"Insert Into [MdbList] ([MdbID],[MdbName]) Values(" + mdb_id + u"," + SqlText(db.name) + u")");
    for (const auto& t : db.tables)
      Execute(conn, u"Insert Into [TableList] ([MdbID],[TableID],[TableName]) Values(" + mdb_id + u"," +
                        Decimal(t.table_id) + u"," + SqlText(t.name) + u")");
    for (const auto& t : db.tables) WriteTableRows(conn, mdb_id, t);
  }
}

std::vector<ConfiguredDatabase> ReadStructureDatabase(const vb::Variant& conn) {
  std::vector<std::pair<vb::String, vb::String>> databases;  // name, MdbID
  EachRow(conn, u"Select * From [MdbList] Order By MdbID ASC", [&](const vb::Variant& rs) {
    databases.emplace_back(ListText(FieldValue(rs, u"MdbName")), ListText(FieldValue(rs, u"MdbID")));
  });
  std::vector<ConfiguredDatabase> out;
  for (const auto& [name, mdb_id] : databases) {
    ConfiguredDatabase db;
    db.name = name;
    std::vector<vb::String> table_ids;
    EachRow(conn, u"Select * From [TableList] Where MdbID= " + mdb_id + u" Order By TableID ASC",
            [&](const vb::Variant& rs) {
              db.tables.push_back({ListText(FieldValue(rs, u"TableName")), {}, {}});
              table_ids.push_back(ListText(FieldValue(rs, u"TableID")));
            });
    for (size_t k = 0; k < db.tables.size(); ++k) {
      const vb::String where = u" Where [MdbID]=" + mdb_id + u" And [TableID]=" + table_ids[k];
      EachRow(conn, u"Select * From [FieldList]" + where + u" Order By [Position] Asc",
              [&](const vb::Variant& rs) { db.tables[k].columns.push_back(ReadColumn(rs)); });
      EachRow(conn, u"Select * From [IndexList]" + where,
              [&](const vb::Variant& rs) { db.tables[k].indexes.push_back(ReadIndex(rs)); });
    }
    out.push_back(std::move(db));
  }
  return out;
}

}  // namespace qe
