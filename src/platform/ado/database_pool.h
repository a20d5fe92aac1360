#pragma once
// Connections to the Access files kept between uses, as the providers pool
// their sessions: when the last user of a connection lets it go (the
// Connection closed, its recordsets gone), the connection is made clean and
// kept; the next Open of the same file takes it again instead of opening the
// file anew. A kept connection serves only the file it was opened on: a file
// replaced under the same name (compacted, restored) is opened anew.
#include <filesystem>
#include <memory>

#include "platform/ado/sqlite_db.h"

namespace ado {

// Opens `file` as Database::Open does, with a kept connection when there is
// one; fails as Database::Open fails (a missing file, one that another
// writer holds locked, one that is no database).
std::shared_ptr<Database> OpenPooled(const std::filesystem::path& file, Database::Mode mode, String display_path,
                                     String source);

// Closes the connections kept for `file`, before it is renamed or removed
// (kept connections of a file whose name moved on also go as others come
// back).
void ForgetPooled(const std::filesystem::path& file);

// How many connections are kept for `file` now.
size_t PooledCount(const std::filesystem::path& file);

}  // namespace ado
