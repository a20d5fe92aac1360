#pragma once
// The INI form of a structure configuration: a section [DataInfomation] with
// the database list, a section per database with its table list, and a
// section per table with its column list, its indexes and, per column f, the
// keys f_Name, f_Type, f_DefineSize, f_NumericScale, f_Position and one
// f_<property> per provider property.
//
// A table's section is named after the table. When that name is taken (by
// the header, a database or a table of an earlier database), the section is
// named database "\" table instead, and the rebuild looks for that name
// first; files with bare names only read as before.
#include <optional>
#include <string>
#include <vector>

#include "maintenance/configured_structure.h"
#include "maintenance/database_structure.h"
#include "platform/sys/profile.h"

namespace qe {

// The file's bytes (code page 936, CR LF lines), or std::nullopt when the
// structure holds what the form cannot carry back: CR or LF anywhere, a
// character outside the code page, "," in a database, table or column name,
// "=" in a column name or "[" at its start, "|" in an index's column name,
// "]" in a database or table name, blanks around a name, or two sections
// that cannot be told apart.
std::optional<std::string> StructureIniText(const std::vector<DatabaseStructure>& databases);

// The rebuild's reading of the INI form. Raises as the stored values do
// (13 for an empty number, 9 for a position outside the column list).
std::vector<ConfiguredDatabase> ReadStructureIni(const sys::Profile& ini);

// An index line: name "," PrimaryKey "," Unique "," IndexNulls "$" and the
// column list. The "$" that ends the three flags is taken, so that a name
// holding "," or "$" reads back whole.
ConfiguredIndex ReadIndexLine(const vb::String& line);

}  // namespace qe
