#pragma once
// The engine's rollback journals, as the engine reads them: one it would not
// play back is litter, whatever bytes it holds.
#include <cstdint>
#include <filesystem>

namespace ado {

// True when the engine, opening a database of `database_size` bytes beside
// this journal with no writer at work, would roll the database back from it:
// the database has pages, and the journal begins with a whole first header
// (its first byte not zero, the journal's magic number, a page size and a
// sector size the engine accepts). False for a journal it ignores or deletes
// unread: empty, zeroed at its start, cut short within its first header, or
// written by a process that died before the header was synced.
bool WouldRollBackFrom(const std::filesystem::path& journal, uint64_t database_size);

}  // namespace ado
