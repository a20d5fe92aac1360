#pragma once
// Database files that can be replaced under the connections that hold them.
//
// Compaction and rebuild put a finished file in a database's place by
// renaming it over the old one. A connection keeps its open file, so the
// engine's file layer checks, whenever a connection takes its read lock (the
// start of every transaction), whether the database's name now stands for
// another file; if so the connection reopens it by name and goes on with it,
// its cached pages and schema dropped, since the new file's change counter
// and schema cookie differ from the old one's (ReplaceDatabase sees to
// that). Whoever replaces the file first takes the old file's write lock,
// so no write is under way there; a connection still reading the old file
// reads it whole, and one that would take a write lock on it after all is
// told the file is busy, lets go and starts over on the new file.
//
// The engine's locks are taken in its usual byte ranges, so every process
// using the engine respects them, but as locks of each connection's own open
// file description: locks of the process (the engine's default) would all be
// dropped when any descriptor of the file closed anywhere in the process, a
// copy's or a format check's, and another process could then write under a
// write lock this one still thinks it holds.
#include <chrono>
#include <filesystem>

#include "platform/fs/file_range_lock.h"

namespace ado {

// Makes that file layer the engine's default, once per process; called
// before any database file is opened.
void UseReplaceableDatabaseFiles();

// A reader's turn between the commits of a busy writer. A connection waits
// for a writer's commit in the engine's steps, which grow to a tenth of a
// second: a writer that commits again and again leaves the file free only
// for moments, which such a wait can miss until it gives up. This waits in
// short steps, up to `wait`, for a moment when no commit is under way, and
// from then until it goes keeps new commits from starting (it read-locks the
// engine's pending byte, as a connection taking its read lock does), so
// that a connection that reads meanwhile gets its read lock at once. A
// writer that would commit meanwhile waits, as it waits for any reader; so
// the turn is for a short read.
// When the wait runs out (Held() false) a read waits as it always does.
// The engine's own recovery never waits for a turn: none is held beside a
// journal that no writer is at work on (a dead writer's, which the next read
// plays back), and a turn lets go as soon as a connection of its process
// would play one back. (The engine's writers make a journal hot only under
// the exclusive lock, which a turn keeps out; a writer that does not sync
// makes it hot from its start, and may die while a turn is held.)
class ReadersTurn : public fs::FileRangeLock {
 public:
  ReadersTurn(const std::filesystem::path& database, std::chrono::milliseconds wait);
  ~ReadersTurn();
};

}  // namespace ado
