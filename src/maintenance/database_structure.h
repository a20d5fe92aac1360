#pragma once
// The structure of Access databases as a structure configuration keeps it:
// the user tables (not those whose names begin with "TEMP_"), each column
// with its type, sizes, ordinal position and every provider property, and
// each index with its columns and their sort orders.
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/vb/variant.h"

namespace qe {

struct ColumnProperty {
  vb::String name;
  vb::Variant value;
};

struct ColumnStructure {
  vb::String name;
  int32_t type = 0;
  int32_t defined_size = 0;
  int32_t numeric_scale = 0;
  int32_t position = 0;  // 1-based
  std::vector<ColumnProperty> properties;  // in the provider's order
};

struct IndexColumn {
  vb::String name;
  int32_t sort_order = 1;  // 1 ascending, 2 descending
};

struct IndexStructure {
  vb::String name;
  bool primary_key = false;
  bool unique = false;
  int32_t index_nulls = 0;
  std::vector<IndexColumn> columns;

  // The columns as both forms store them: name "|" sort order "," each.
  vb::String FieldList() const;
};

struct TableStructure {
  vb::String name;
  int32_t table_id = 0;  // 1-based position among all the catalog's tables
  std::vector<ColumnStructure> columns;  // in the catalog's order
  std::vector<IndexStructure> indexes;
};

struct DatabaseStructure {
  vb::String name;  // the file name, without its folder
  std::vector<TableStructure> tables;
};

// The file name of a database's full name: what follows its last "\".
vb::String DatabaseNameOf(const vb::String& full_name);

// Reads the structure of the database file through ADOX; the provider's
// errors reach the caller.
DatabaseStructure ReadDatabaseStructure(const vb::String& full_name);

// A value as the configuration writes it: numbers in decimal, Booleans as
// True or False, Null and Empty as nothing.
vb::String ConfigurationText(const vb::Variant& value);

}  // namespace qe
