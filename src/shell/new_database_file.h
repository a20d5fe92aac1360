#pragma once
// A new Access database that appears whole or not at all.
#include <functional>
#include <string_view>

#include "platform/vb/variant.h"

namespace qe {

// The connection string that creates and opens an Access database at `path`
// ("Provider=microsoft.jet.oledb.4.0;Data Source=" + path).
vb::String NewJetDatabaseConnectionString(vb::StringView path);

// Makes the database file at the real path `path`: `build` is handed the
// real path of a staged file beside it, creates the database there and fills
// it; the staged file then takes the name `path` in one step, unless a file
// of that name appeared meanwhile. True when this call made the file; false
// when another request had made it first (nothing of this call is left).
// An error of `build` leaves no file and reaches the caller, naming `path`.
bool CreateDatabaseFileWhole(const vb::String& path, const std::function<void(const vb::String& staged)>& build);

// True for the name of a staged file as earlier versions named them
// ("qe.asp.0123456789abcdef.new") and of the engine's files beside it
// ("-journal", "-wal", "-shm" after it): one left behind is the work of a
// process that was killed while it made a database. Files are staged under
// scratch names now (platform/fs/scratch_names.h).
bool IsStagedDatabaseName(std::string_view file_name);

// The number of the process that staged it ("qe.asp.4242-0123456789abcdef.new"
// gives 4242); 0 for a staged name without one, or no staged name.
int StagedDatabaseOwner(std::string_view file_name);

}  // namespace qe
