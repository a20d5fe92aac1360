#pragma once
// The structure of an Access database kept in SQLite: tables, columns with
// their ADO types and Jet properties, and indexes, recorded in catalog tables
// of our own (MSysQe*) beside the data, so that a structure read back equals
// the structure created. Tables made by other means are read from SQLite's
// own schema, their declared types mapped to ADO types.
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/ado/sqlite_db.h"

namespace ado::catalog {

struct ColumnDef {
  String name;
  int type = 202;            // ADO DataTypeEnum
  int32_t defined_size = 0;  // characters or bytes for the sized types; 0: the type's own
  int precision = 0;
  int scale = 0;
  bool nullable = true;
  bool autoincrement = false;
  bool allow_zero_length = true;
  bool compressed = false;   // "Jet OLEDB:Compressed UNICODE Strings"
  bool fixed_length = false; // adColFixed
  String description;
  Variant default_value;     // Empty: none

  int32_t DefinedSize() const;  // the given size, or the type's own
};

struct IndexColumn {
  String name;
  int sort_order = 1;  // 1 ascending, 2 descending
};

struct IndexDef {
  String name;
  bool primary_key = false;
  bool unique = false;
  int index_nulls = 0;
  bool clustered = false;
  std::vector<IndexColumn> columns;
};

struct TableDef {
  String name;
  String type = u"TABLE";  // "TABLE", "VIEW", "SYSTEM TABLE"
  std::vector<ColumnDef> columns;
  std::vector<IndexDef> indexes;

  const ColumnDef* FindColumn(StringView column) const;
  const IndexDef* FindIndex(StringView index) const;
};

// Creates the catalog tables in a new database.
void Ensure(Database& db);

struct TableEntry {
  String name;
  String type;
};
// Every table and view, system tables included, ordered by name as Jet lists them.
std::vector<TableEntry> ListTables(Database& db);
bool TableExists(Database& db, StringView table);

std::optional<TableDef> ReadTable(Database& db, StringView table);

// What a connection has read of the catalog. Tables are kept until SQLite's
// schema changes (Database::RefreshSchema forgets them): every change of a
// table's columns changes the schema, from whichever connection makes it.
// Settings are kept while nothing at all is written to the file.
class CatalogCache {
 public:
  // The table as ReadTable reads it; null when there is none.
  std::shared_ptr<const TableDef> FindTable(Database& db, StringView table);
  void ForgetTables() { tables_.clear(); }
  // ReadSetting, on a connection that has just begun to read the file (so
  // that it knows of every write made to it until then).
  String Setting(Database& db, StringView name);

 private:
  std::unordered_map<String, std::shared_ptr<const TableDef>> tables_;  // by lower-case name
  std::unordered_map<String, String> settings_;                         // by lower-case name
  uint64_t settings_data_version_ = 0;
};

// Structure changes; each runs in one savepoint. They raise the provider's
// errors (a table or column that exists already, a name that is missing).
void CreateTable(Database& db, const TableDef& table);
void DropTable(Database& db, StringView table);
void RenameTable(Database& db, StringView table, StringView new_name);
void AddColumn(Database& db, StringView table, const ColumnDef& column);
void DropColumn(Database& db, StringView table, StringView column);
// Replaces a column's definition (type, size, properties) in place.
void ChangeColumn(Database& db, StringView table, StringView column, const ColumnDef& updated);
void AddIndex(Database& db, StringView table, const IndexDef& index);
void DropIndex(Database& db, StringView table, StringView index);

// Database-wide settings kept in the catalog (the database password).
String ReadSetting(Database& db, StringView name);
void WriteSetting(Database& db, StringView name, StringView value);

// The ADO type and size that a declared SQLite type stands for (tables made
// by SQL); type 0 when the declaration names none.
ColumnDef ColumnFromDeclaration(StringView name, StringView declared_type);

}  // namespace ado::catalog
