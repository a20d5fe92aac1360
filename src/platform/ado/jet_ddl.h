#pragma once
// Jet's data definition statements (CREATE TABLE, ALTER TABLE, DROP TABLE,
// CREATE INDEX, DROP INDEX ... ON), run through the catalog so that tables
// made by SQL keep their Jet types, sizes and keys as ADOX would make them.
#include <vector>

#include "platform/ado/jet_catalog.h"
#include "platform/ado/jet_sql.h"

namespace ado::jet {

// Runs the statement when it is one of Jet's definitions and returns true;
// false for anything else (left to SQLite). Raises the provider's syntax
// error for a malformed definition.
bool ExecuteDdl(Database& db, const std::vector<Token>& translated);

}  // namespace ado::jet
