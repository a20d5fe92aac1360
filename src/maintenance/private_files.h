#pragma once
// Scratch files and folders that no other request picks, backup folders that
// appear only when complete, and putting built database files in the place
// of the site's.
#include <filesystem>
#include <functional>

#include "platform/fs/scratch_names.h"
#include "platform/vb/variant.h"

namespace qe {

// A scratch name: fs::ScratchName (the marker, this process's number
// and start time), `what` and 16 random hexadecimal digits. One whose
// process is gone is left over from a run that was killed.
vb::String PrivateName(vb::StringView what);

// A private name in the folder of the real path `path`, on its file system.
vb::String PrivateNameBeside(const vb::String& path, vb::StringView what);

// A new folder in `parent` (which is made when missing) with a private
// name; its real path. Raises as the file system does.
vb::String CreatePrivateFolder(const vb::String& parent, vb::StringView what);

// Clears what killed runs left in the host folder `folder`: scratch whose
// process is gone (and the dead scratch of the folders that their notes
// name, see ScratchPlace), the temporaries of earlier versions, whose names
// carried no process, and the journals of writers that are gone (the
// engine plays back those it would, the others go: ado::SettleJournal). A
// mount deletes only what it can prove is a partial file or a copy: an
// abandoned backup folder whose every file is a whole database is
// published under its final name (or removed when a published twin holds
// the same files), never deleted.
void RemoveAbandonedScratch(const std::filesystem::path& folder);

// The same in the site's folders where maintenance leaves scratch: the
// site's root, "/data", "/temp", "/AutoBackup" and "/data_backup".
void RemoveAbandonedSiteScratch(vb::Variant& Server);

// A backup folder of one run, filled under a private name that carries its
// final name, and published (its files and the rename synced) before any
// live file that it keeps a copy of is replaced; once published, a file
// put in it appears whole, by rename.
class BackupFolder {
 public:
  // Under `parent` (made when missing), to be named `final_name`, or
  // `final_name` with "_n" when that is taken.
  BackupFolder(const vb::String& parent, vb::StringView final_name);
  // Under the site's "/AutoBackup", named `label` and the date and time.
  BackupFolder(vb::Variant& Server, vb::StringView label);
  // Publishes what was put in it.
  ~BackupFolder();
  BackupFolder(const BackupFolder&) = delete;
  BackupFolder& operator=(const BackupFolder&) = delete;

  // Where its files are; "" when no folder could be made.
  const vb::String& Path() const { return path_; }
  bool Published() const { return published_; }
  // Gives `name` in it the whole file that `copy` writes to the real path
  // it is handed (a new file); false when there is no folder. Raises, with
  // nothing left of the copy, as `copy` does.
  bool Put(const vb::String& name, const std::function<void(const vb::String& destination)>& copy);
  // Gives it its final name (an empty folder is removed instead); true when
  // it holds one. `exact`: never another name than `final_name`.
  bool Publish(bool exact = false);

 private:
  vb::String parent_, final_name_, path_;
  bool published_ = false;
};

// Scratch that a run makes in a folder of its caller's choosing (a database
// staged beside the one it replaces in "/rebuilt", say), where mounts do not
// look: a note in the site's "/temp" names the folder while this lives, so
// that a mount that finds the note of a run that is gone clears that
// folder's scratch too.
class ScratchPlace {
 public:
  ScratchPlace(vb::Variant& Server, const vb::String& folder);
  ~ScratchPlace();
  ScratchPlace(const ScratchPlace&) = delete;
  ScratchPlace& operator=(const ScratchPlace&) = delete;

 private:
  vb::String note_;
};

// Kept for the runs that make a folder of their own under "/AutoBackup".
using AutoBackupFolder = BackupFolder;

// Puts the database file `built` in the place of `target` (both real paths)
// and removes `built`: connections that have the target open wait for the
// copy and then see the new database; a missing target is made.
void PutDatabaseInPlace(const vb::String& target, const vb::String& built);

}  // namespace qe
