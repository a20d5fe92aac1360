#pragma once
// What a file is before it is put in a database's place: a database at all,
// and which tables it holds.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct sqlite3;

namespace ado {

// The bytes of a database file that the engine locks: a writer about to
// write the file holds the pending byte (new readers stay out), a writer at
// work the reserved byte, and each reader a read lock on the shared range;
// holding the pending byte and the shared range keeps everyone out.
inline constexpr int64_t kPendingLockByte = 0x40000000;
inline constexpr int64_t kReservedLockByte = kPendingLockByte + 1;
inline constexpr int64_t kSharedLockFirst = kPendingLockByte + 2;
inline constexpr int64_t kSharedLockSize = 510;

// True when the file begins as a database file of the engine does.
bool IsDatabaseFile(const std::filesystem::path& file);

// What a file is, for one who would put another in its place without the
// engine when it is no database.
enum class DatabaseFileFormat {
  kDatabase,
  // Its own bytes say so: the engine, having read its header under the
  // readers' lock, reports no database (the first 16 bytes are not the
  // engine's, a file too short for them included, or a page size it does
  // not know).
  kNotADatabase,
  // Nothing says it is no database: busy or locked by a writer, or not
  // readable now for any other reason (missing, refused, damaged pages).
  kUndecided,
};

// Asks the engine without waiting for writers: a file that is only busy is
// kUndecided, never kNotADatabase. An empty file is a database (an empty
// one, as the engine takes it). A dead writer's journal beside it is played
// back first, as by any first read.
DatabaseFileFormat FormatOfDatabaseFile(const std::filesystem::path& file);

// True when the file is a database file with every page its header counts:
// a copy cut short by a crash is not.
bool IsWholeDatabaseFile(const std::filesystem::path& file);

// A connection of ours to the existing database `file`, waiting for writers
// as a page does; able to write, as any connection of ours is, so that its
// first read plays back a journal that a writer left when it died (a
// read-only one cannot). nullptr when the file cannot be opened.
sqlite3* OpenDatabaseFile(const std::filesystem::path& file);

// The names of the file's own tables, lower-cased and sorted; raises
// vb::Error 3343 (unrecognized database format) when it cannot be read as a
// database.
std::vector<std::string> DatabaseTableNames(const std::filesystem::path& file);

}  // namespace ado
