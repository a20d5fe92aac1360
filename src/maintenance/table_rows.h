#pragma once
// Tables of two Access databases as the catalog shows them, and their rows
// copied from one into the other: each value read as a field, converted to
// its column's type and bound to the insert, never written as SQL text.
#include <optional>
#include <vector>

#include "platform/vb/variant.h"

namespace qe {

struct CatalogColumn {
  vb::String name;
  int32_t type = 0;  // ADO DataTypeEnum
  bool autoincrement = false;
};

struct CatalogIndex {
  vb::String name;
  bool unique = false;  // a primary key counts as unique
  std::vector<vb::String> columns;
};

struct CatalogTable {
  vb::String name;
  std::vector<CatalogColumn> columns;  // in catalog order
  std::vector<CatalogIndex> indexes;   // in catalog order
  const CatalogColumn* FindColumn(vb::StringView column) const;
};

// The names of the catalog's user tables (type "TABLE"), in catalog order.
std::vector<vb::String> UserTableNames(const vb::Variant& catalog);
// The user table of that name (compared without case); nullopt when none.
std::optional<CatalogTable> FindUserTable(const vb::Variant& catalog, vb::StringView name);
// The catalog's table of that name, of any type; raises as Tables(name) does.
CatalogTable ReadTable(const vb::Variant& catalog, vb::StringView name);

// A connection opened on an Access file, with the Jet provider.
vb::Variant OpenJetConnection(const vb::String& file);

// What the rows of one table are copied into.
struct RowTarget {
  vb::String table;
  std::vector<CatalogColumn> columns;  // written, in this order
  std::optional<size_t> key;           // the column numbered from `key_counter` instead of copied
  int32_t key_counter = 0;             // the last number given; overflow raises 6
};

// Copies every row of the source connection's table `target.table` into the
// destination connection's table, reading each written column by its name.
// Gives the number of rows copied; raises what fails (the caller's
// transaction takes back what was written).
int64_t CopyTableRows(const vb::Variant& source, const vb::Variant& destination, RowTarget& target);

// The number of rows of a table.
int64_t CountRows(const vb::Variant& connection, vb::StringView table);

}  // namespace qe
