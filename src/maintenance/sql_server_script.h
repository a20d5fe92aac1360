#pragma once
// The creation script that a site carries for SQL Server as
// "\Comm\Data_Sql.mdb" (pages name it "../Comm/Data_Sql.mdb"): the main
// database's tables in SQL Server's dialect, one batch per table ended by a
// "GO" line, made from the schema the component carries.
#include "platform/vb/variant.h"

namespace qe {

inline constexpr char16_t kShippedSqlServerScript[] = u"C:\\Comm\\Data_Sql.mdb";

// The script's text. Jet's types become SQL Server's: Counter an identity
// from 1, Text(n) nvarchar(n), Memo ntext, Long int, and YesNo smallint, so
// that pages that store and compare True as -1 keep working.
vb::String SqlServerCreationScript();

// Writes the script at the real path (its folder is made) when the file is
// missing or holds another text. True when this call wrote it.
bool ProvideSqlServerScript(const vb::String& path);

}  // namespace qe
