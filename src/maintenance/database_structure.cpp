#include "maintenance/database_structure.h"

#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

constexpr int32_t kSchemaColumns = 4;  // adSchemaColumns

int32_t Count(const vb::Variant& collection) { return vb::CLng(com::Call(collection, u"Count")); }

vb::Variant Item(const vb::Variant& collection, int32_t index) { return com::Call(collection, u"Item", index); }

vb::String Text(const vb::Variant& object, vb::StringView member) { return vb::CStr(com::Call(object, member)); }

int32_t Number(const vb::Variant& object, vb::StringView member) { return vb::CLng(com::Call(object, member)); }

bool IsCapturedTable(const vb::Variant& table) {
  if (Text(table, u"Type") != u"TABLE") return false;
  return vb::UCase(vb::Left(Text(table, u"Name"), 5)) != u"TEMP_";
}

// The ordinal positions of a table's columns, from the provider's column schema.
std::vector<std::pair<vb::String, int32_t>> OrdinalPositions(const vb::Variant& conn, const vb::String& table) {
  vb::Variant criteria(vb::Array::OfVariants({vb::Variant(), vb::Variant(), vb::Variant(table)}));
  vb::Variant rs = com::Call(conn, u"OpenSchema", kSchemaColumns, criteria);
  std::vector<std::pair<vb::String, int32_t>> positions;
  for (; !vb::CBool(com::Call(rs, u"EOF")); com::Call(rs, u"MoveNext"))
    positions.emplace_back(vb::CStr(com::ValueOf(com::Call(rs, u"", vb::String(u"COLUMN_NAME")))),
                           vb::CLng(com::ValueOf(com::Call(rs, u"", vb::String(u"ORDINAL_POSITION")))));
  com::Call(rs, u"Close");
  return positions;
}

ColumnStructure ReadColumn(const vb::Variant& column, const std::vector<std::pair<vb::String, int32_t>>& positions) {
  ColumnStructure c;
  c.name = Text(column, u"Name");
  c.type = Number(column, u"Type");
  c.defined_size = Number(column, u"DefinedSize");
  c.numeric_scale = Number(column, u"NumericScale");
  for (const auto& [name, position] : positions)
    if (vb::EqualsNoCase(name, c.name)) {
      c.position = position;
      break;
    }
  vb::Variant properties = com::Call(column, u"Properties");
  for (int32_t i = 0, n = Count(properties); i < n; ++i) {
    vb::Variant property = Item(properties, i);
    c.properties.push_back({Text(property, u"Name"), com::Call(property, u"Value")});
  }
  return c;
}

IndexStructure ReadIndex(const vb::Variant& index) {
  IndexStructure ix;
  ix.name = Text(index, u"Name");
  ix.primary_key = vb::CBool(com::Call(index, u"PrimaryKey"));
  ix.unique = vb::CBool(com::Call(index, u"Unique"));
  ix.index_nulls = Number(index, u"IndexNulls");
  vb::Variant columns = com::Call(index, u"Columns");
  for (int32_t i = 0, n = Count(columns); i < n; ++i) {
    vb::Variant column = Item(columns, i);
    ix.columns.push_back({Text(column, u"Name"), Number(column, u"SortOrder")});
  }
  return ix;
}

}  // namespace

vb::String IndexStructure::FieldList() const {
  vb::String list;
  for (const auto& c : columns) list += c.name + u"|" + vb::CStr(vb::Variant(c.sort_order)) + u",";
  return list;
}

vb::String DatabaseNameOf(const vb::String& full_name) {
  size_t slash = full_name.rfind(u'\\');
  return slash == vb::String::npos ? full_name : full_name.substr(slash + 1);
}

DatabaseStructure ReadDatabaseStructure(const vb::String& full_name) {
  DatabaseStructure db;
  db.name = DatabaseNameOf(full_name);
  vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Call(conn, u"Open", u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + full_name);
  ClosedAtEnd closed(conn);
  vb::Variant catalog(com::CreateObject(u"ADOX.Catalog"));
  com::SetRef(catalog, u"ActiveConnection", conn);
  vb::Variant tables = com::Call(catalog, u"Tables");
  for (int32_t i = 0, n = Count(tables); i < n; ++i) {
    vb::Variant table = Item(tables, i);
    if (!IsCapturedTable(table)) continue;
    TableStructure t;
    t.name = Text(table, u"Name");
    t.table_id = i + 1;
    const auto positions = OrdinalPositions(conn, t.name);
    vb::Variant columns = com::Call(table, u"Columns");
    for (int32_t k = 0, m = Count(columns); k < m; ++k) t.columns.push_back(ReadColumn(Item(columns, k), positions));
    vb::Variant indexes = com::Call(table, u"Indexes");
    for (int32_t k = 0, m = Count(indexes); k < m; ++k) t.indexes.push_back(ReadIndex(Item(indexes, k)));
    db.tables.push_back(std::move(t));
  }
  return db;
}

vb::String ConfigurationText(const vb::Variant& value) {
  if (value.IsEmpty() || value.IsNull()) return {};
  return vb::CStr(value);
}

}  // namespace qe
