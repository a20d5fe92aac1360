#pragma once
// What a file is before it is put in a database's place: a database at all,
// and which tables it holds.
#include <filesystem>
#include <string>
#include <vector>

namespace ado {

// True when the file begins as a database file of the engine does.
bool IsDatabaseFile(const std::filesystem::path& file);

// The names of the file's own tables, lower-cased and sorted; raises
// vb::Error 3343 (unrecognized database format) when it cannot be read as a
// database.
std::vector<std::string> DatabaseTableNames(const std::filesystem::path& file);

}  // namespace ado
