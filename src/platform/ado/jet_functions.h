#pragma once
// Jet's functions as SQLite functions (the names jet_sql gives them).
#include <sqlite3.h>

namespace ado::jet {

// Registers the functions on a connection; every connection of the provider
// has them, so that translated statements and stored defaults can use them.
void RegisterFunctions(sqlite3* db);

}  // namespace ado::jet
