#pragma once
// The engine's rollback journals, as the engine reads them: one it would not
// play back is litter, whatever bytes it holds; one it would is played back
// by the engine, never removed or left for another file.
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

// What a writer that is gone left at `journal` ("…-journal"): while no
// connection writes its database, the engine plays it back when it would
// (a connection of this process reads the database, as any first read
// does), and it is removed when the engine would not. A journal whose
// database is missing goes too: nothing plays it back, and a database made
// under that name later would get it played back into it.
void SettleJournal(const std::filesystem::path& journal);

}  // namespace ado
