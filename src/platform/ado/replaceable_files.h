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
// that). A connection that has taken its read lock on the old file holds
// that file whole until it lets go, and whoever replaces the file must first
// hold the old file's exclusive lock: so no write goes into a file that has
// been replaced.
namespace ado {

// Makes that file layer the engine's default, once per process; called
// before any database file is opened.
void UseReplaceableDatabaseFiles();

}  // namespace ado
