#pragma once
// The database form of a structure configuration: a Jet database with the
// tables MdbList (a row per database), TableList (a row per table, with an
// optional TableSql), FieldList (a row per column: its type and sizes, its
// position, and a column per provider property) and IndexList (a row per
// index).
#include <vector>

#include "maintenance/configured_structure.h"
#include "maintenance/database_structure.h"

namespace qe {

// Creates a configuration database at a real path (its folder must exist),
// with a FieldList column for every property that the provider gives a
// column. Raises when the file exists.
void CreateConfigurationDatabase(const vb::String& path);

// Replaces the four tables' rows with the structure, on an open connection to
// the configuration database (the caller holds the transaction). Every value
// goes into the statements quoted.
void WriteStructureDatabase(const vb::Variant& conn, const std::vector<DatabaseStructure>& databases);

// The rebuild's reading of the database form: every database of MdbList in
// MdbID order, its tables in TableID order, their columns in position order
// and their indexes. TableSql is read and not used.
std::vector<ConfiguredDatabase> ReadStructureDatabase(const vb::Variant& conn);

}  // namespace qe
