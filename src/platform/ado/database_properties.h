#pragma once
// Values that a database file keeps about itself, outside its tables, as Jet
// keeps a database's own properties.
#include <chrono>
#include <filesystem>

#include "platform/ado/sqlite_db.h"
#include "platform/vb/string.h"

namespace ado {

// The value, or "" when the file has none of that name. Raises the engine's
// error when the file is no database, or when writers kept it from being
// read for `wait`.
vb::String DatabaseProperty(const std::filesystem::path& file, vb::StringView name,
                            std::chrono::milliseconds wait = kStatementWait);
void SetDatabaseProperty(const std::filesystem::path& file, vb::StringView name, vb::StringView value);

}  // namespace ado
