#pragma once
// Replacing the site's live database files in the one order that a kill at
// any moment cannot turn into a loss:
//   1. a whole copy of each live file is put in a backup folder, and the
//      folder is published under its final name, synced;
//   2. only then is each live file replaced, by one rename, under the write
//      lock held since its copy was made (writers wait, then go on in the
//      new file);
//   3. scratch goes last; until then a note in the site's "/temp" names
//      the folder, so that a mount clears what a kill leaves there.
// A kill before 2 leaves the live files as they were; after it, the result
// is live and the published backup holds what it replaced. Every operation
// that puts a new file in a live file's place goes through this class.
#include <memory>
#include <vector>

#include "maintenance/private_files.h"
#include "platform/sys/stop_points.h"

namespace ado {
class DatabaseWriteLock;
}

namespace qe {

class LiveFileReplacement {
 public:
  // The files `names` of the real folder `folder`, each write-locked when
  // it is a database; their copies go to a backup folder labelled `label`
  // under the site's "/AutoBackup".
  LiveFileReplacement(vb::Variant& Server, const vb::String& folder, const std::vector<vb::String>& names,
                      vb::StringView label);
  ~LiveFileReplacement();
  LiveFileReplacement(const LiveFileReplacement&) = delete;
  LiveFileReplacement& operator=(const LiveFileReplacement&) = delete;

  size_t Size() const { return files_.size(); }
  bool Exists(size_t i) const { return files_[i].exists; }
  const vb::String& LivePath(size_t i) const { return files_[i].path; }
  bool AnyExists() const;

  // Step 1 for the file `i`: its copy in the backup folder (a database as
  // it stands under its lock, a file whose own bytes say it is no database
  // byte for byte). True when it is kept, or missing; false when it exists
  // and was not copied, or its lock could not be had and nothing says it is
  // no database (busy, or unreadable for now).
  bool Keep(size_t i);
  // Step 1's end: publishes the backup. False when files were kept but
  // could not be published.
  bool Publish();
  // The backup's path (final once published).
  const vb::String& BackupPath() const { return backup_.Path(); }

  // Step 2 for the file `i`: the whole database `built` (any real path) is
  // copied beside the live file and renamed over it. Raises, with the live
  // file left as it was, when the file exists but was not kept and
  // published first, when it was missing and one was made since (it has no
  // copy), or when the swap fails.
  void Replace(size_t i, const vb::String& built);
  // Lets writers of the file `i` go on (its lock is released).
  void Release(size_t i);

 private:
  struct LiveFile {
    vb::String name, path;
    bool exists = false, kept = false;
    std::unique_ptr<ado::DatabaseWriteLock> writers_wait;  // null: missing, or no database
  };
  // Declared first, gone last: it names the folder while anything of this
  // run may be there.
  ScratchPlace place_;
  std::vector<LiveFile> files_;
  BackupFolder backup_;
};

using sys::StopPoint;

}  // namespace qe
