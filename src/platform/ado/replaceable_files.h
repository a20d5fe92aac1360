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
// reads it whole, and one that would write to it after all is refused by the
// engine (the file has moved) rather than writing where nobody reads.
namespace ado {

// Makes that file layer the engine's default, once per process; called
// before any database file is opened.
void UseReplaceableDatabaseFiles();

}  // namespace ado
