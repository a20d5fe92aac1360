#include "maintenance/table_rows.h"

#include <limits>
#include <memory>

#include "common/sql_literal.h"
#include "platform/ado/ado_types.h"
#include "platform/ado/prepared_command.h"
#include "platform/ado/recordset.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr int32_t kForwardOnly = 0;
constexpr int32_t kReadOnly = 1;
constexpr char16_t kJetProvider[] = u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";

int32_t CountOf(const vb::Variant& collection) { return vb::CLng(com::Call(collection, u"Count")); }

CatalogTable ReadTableObject(const vb::Variant& table) {
  CatalogTable out;
  out.name = vb::CStr(com::Call(table, u"Name"));
  vb::Variant columns = com::Call(table, u"Columns");
  for (int32_t i = 0, n = CountOf(columns); i < n; ++i) {
    vb::Variant c = com::Call(columns, u"Item", i);
    CatalogColumn column{vb::CStr(com::Call(c, u"Name")), vb::CLng(com::Call(c, u"Type")), false};
    column.autoincrement =
        vb::CBool(com::Call(com::Call(com::Call(c, u"Properties"), u"Item", vb::String(u"Autoincrement")), u"Value"));
    out.columns.push_back(std::move(column));
  }
  vb::Variant indexes = com::Call(table, u"Indexes");
  for (int32_t i = 0, n = CountOf(indexes); i < n; ++i) {
    vb::Variant ix = com::Call(indexes, u"Item", i);
    CatalogIndex index{vb::CStr(com::Call(ix, u"Name")),
                       vb::CBool(com::Call(ix, u"Unique")) || vb::CBool(com::Call(ix, u"PrimaryKey")), {}};
    vb::Variant ic = com::Call(ix, u"Columns");
    for (int32_t k = 0, m = CountOf(ic); k < m; ++k)
      index.columns.push_back(vb::CStr(com::Call(com::Call(ic, u"Item", k), u"Name")));
    out.indexes.push_back(std::move(index));
  }
  return out;
}

std::shared_ptr<ado::Recordset> OpenRows(const vb::Variant& connection, vb::StringView table) {
  auto rs = std::make_shared<ado::Recordset>();
  rs->Open(vb::Variant(u"Select * from " + SqlName(table)), connection, kForwardOnly, kReadOnly, 1);
  return rs;
}

}  // namespace

const CatalogColumn* CatalogTable::FindColumn(vb::StringView column) const {
  for (const CatalogColumn& c : columns)
    if (vb::EqualsNoCase(c.name, column)) return &c;
  return nullptr;
}

std::vector<vb::String> UserTableNames(const vb::Variant& catalog) {
  std::vector<vb::String> names;
  vb::Variant tables = com::Call(catalog, u"Tables");
  for (int32_t i = 0, n = CountOf(tables); i < n; ++i) {
    vb::Variant t = com::Call(tables, u"Item", i);
    if (vb::CStr(com::Call(t, u"Type")) == u"TABLE") names.push_back(vb::CStr(com::Call(t, u"Name")));
  }
  return names;
}

std::optional<CatalogTable> FindUserTable(const vb::Variant& catalog, vb::StringView name) {
  vb::Variant tables = com::Call(catalog, u"Tables");
  for (int32_t i = 0, n = CountOf(tables); i < n; ++i) {
    vb::Variant t = com::Call(tables, u"Item", i);
    if (vb::CStr(com::Call(t, u"Type")) == u"TABLE" && vb::EqualsNoCase(vb::CStr(com::Call(t, u"Name")), name))
      return ReadTableObject(t);
  }
  return std::nullopt;
}

CatalogTable ReadTable(const vb::Variant& catalog, vb::StringView name) {
  return ReadTableObject(com::Call(com::Call(catalog, u"Tables"), u"Item", vb::String(name)));
}

vb::Variant OpenJetConnection(const vb::String& file) {
  vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Call(conn, u"Open", kJetProvider + file, vb::String(), vb::String());
  return conn;
}

int64_t CopyTableRows(const vb::Variant& source, const vb::Variant& destination, RowTarget& target) {
  vb::String names, marks;
  for (const CatalogColumn& c : target.columns) {
    names += (names.empty() ? u"" : u",") + SqlName(c.name);
    marks += marks.empty() ? u"?" : u",?";
  }
  ado::PreparedCommand insert(destination,
                              u"Insert Into " + SqlName(target.table) + u" (" + names + u") Values (" + marks + u")");
  std::shared_ptr<ado::Recordset> rows = OpenRows(source, target.table);
  std::vector<size_t> fields;
  // A value goes as it was read into a column of its own type, so that what
  // does not fit the type (written by SQL) comes over as it is; into
  // another type it is converted as a field converts it.
  std::vector<bool> convert;
  for (size_t k = 0; k < target.columns.size(); ++k) {
    fields.push_back(target.key == k ? 0 : rows->FieldIndex(vb::Variant(target.columns[k].name)));
    convert.push_back(rows->FieldAt(fields.back()).type != target.columns[k].type);
  }
  std::vector<vb::Variant> values(target.columns.size());
  int64_t copied = 0;
  for (; !rows->Eof(); rows->MoveNext()) {
    for (size_t k = 0; k < target.columns.size(); ++k) {
      if (target.key == k) {
        if (target.key_counter == std::numeric_limits<int32_t>::max()) vb::Raise(vb::kOverflow);
        values[k] = vb::Variant(++target.key_counter);
      } else {
        values[k] = convert[k] ? ado::CoerceToField(rows->Value(fields[k]), target.columns[k].type)
                               : rows->Value(fields[k]);
      }
    }
    insert.Execute(values);
    ++copied;
  }
  rows->Close();
  return copied;
}

int64_t CountRows(const vb::Variant& connection, vb::StringView table) {
  vb::Variant rs = com::Call(connection, u"Execute", u"Select Count(*) From " + SqlName(table));
  vb::Variant n = com::ValueOf(com::Call(rs, u"", int32_t{0}));
  com::Call(rs, u"Close");
  return static_cast<int64_t>(vb::CDbl(n));
}

}  // namespace qe
