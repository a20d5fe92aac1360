#pragma once
// "JRO.JetEngine": compaction of an Access database into a new file, and the
// safe way to put the compacted file in the place of the old one.
#include <cstdint>
#include <filesystem>

#include "platform/com/object.h"

struct sqlite3;

namespace ado {

class JetEngine : public com::Dispatch<JetEngine> {
 public:
  static const com::MemberTable<JetEngine>& Members();
  vb::String TypeName() const override { return u"JetEngine"; }

  // Writes a compacted copy of the source database to the destination
  // (which must not exist), with the destination's password.
  void CompactDatabase(vb::StringView source, vb::StringView destination);
};

// Puts the database file `replacement` in the place of `target`. It is
// renamed over the target while the target's write lock is held, so writers
// wait for it, readers finish with the old file whole, and every connection
// that has `target` open goes on with the new file at its next transaction
// (replaceable_files.h); a plain rename would leave them on the old file, a
// plain copy let them read a file half written.
// Across file systems the pages are copied into the target under its lock
// instead, and `replacement` is removed. A missing target is made by giving
// the replacement its name.
void ReplaceDatabase(const std::filesystem::path& target, const std::filesystem::path& replacement);

// Gives the database file `replacement` the name `target` when no file has
// it (and removes `replacement`); false, with both left as they are, when
// one has: a file made meanwhile is never replaced.
bool PlaceDatabaseWhereNoneIs(const std::filesystem::path& target, const std::filesystem::path& replacement);

// The database's change counter: it moves with every write committed to it.
// CopyDatabase gives it for the moment it copied; ReplaceDatabaseIfUnchanged
// compares it once it holds the target's lock, so that a replacement made
// from that copy never drops what was written after it.
using ChangeCounter = uint32_t;

// Copies the database `source` into the new file `destination` (which must
// not exist) as it stood at one moment, while other connections may be
// writing to it: the pages are read under one read lock. Gives the change
// counter of that moment.
ChangeCounter CopyDatabase(const std::filesystem::path& source, const std::filesystem::path& destination);

// ReplaceDatabase when nothing was committed to `target` since `counter`;
// otherwise false, with both files left as they were. A missing target is
// not made.
bool ReplaceDatabaseIfUnchanged(const std::filesystem::path& target, const std::filesystem::path& replacement,
                                ChangeCounter counter);

// A database's write lock, held while this object lives: other connections
// read as before; their writes wait for it (as long as a statement waits).
class DatabaseWriteLock {
 public:
  explicit DatabaseWriteLock(const std::filesystem::path& file);
  ~DatabaseWriteLock();
  DatabaseWriteLock(const DatabaseWriteLock&) = delete;
  DatabaseWriteLock& operator=(const DatabaseWriteLock&) = delete;

  // ReplaceDatabase under this lock: nothing was written since it was taken
  // (the change counter says so, or this raises and nothing is done).
  // False, with nothing done, when the replacement is on another file system.
  bool Replace(const std::filesystem::path& replacement);

 private:
  std::filesystem::path file_;
  sqlite3* db_ = nullptr;
  ChangeCounter counter_ = 0;  // as the lock was taken
};

}  // namespace ado
