#pragma once
// Scratch files and folders that no other request picks, backup folders that
// appear only when complete, and putting built database files in the place
// of the site's.
#include <filesystem>

#include "platform/vb/variant.h"

namespace qe {

// Every scratch file and folder of a maintenance run begins with this, then
// the number of the process that made it and "-": one that no live process
// holds is left over from a run that was killed.
inline constexpr char kScratchPrefix[] = ".qe-tmp-";

// kScratchPrefix, this process's number, "-", `what` and 16 random
// hexadecimal digits.
vb::String PrivateName(vb::StringView what);

// A private name in the folder of the real path `path`, on its file system.
vb::String PrivateNameBeside(const vb::String& path, vb::StringView what);

// A new folder in `parent` (which is made when missing) with a private
// name; its real path. Raises as the file system does.
vb::String CreatePrivateFolder(const vb::String& parent, vb::StringView what);

// Removes the scratch files and folders in the host folder `folder` whose
// process is gone (scratch of this process and of live ones stays).
void RemoveAbandonedScratch(const std::filesystem::path& folder);

// The same in the site's folders where maintenance leaves scratch: "/data",
// "/temp", "/AutoBackup" and "/data_backup".
void RemoveAbandonedSiteScratch(vb::Variant& Server);

// A folder of one maintenance run's own under the site's "/AutoBackup": it
// is filled under a private name and takes its final name, the label and the
// date and time (a taken name gets a number after it), when it is
// published, so that a folder that looks like a backup holds whole files.
class AutoBackupFolder {
 public:
  AutoBackupFolder(vb::Variant& Server, vb::StringView label);
  // Publishes what was put in it (each file put there is whole).
  ~AutoBackupFolder();
  AutoBackupFolder(const AutoBackupFolder&) = delete;
  AutoBackupFolder& operator=(const AutoBackupFolder&) = delete;

  // Where files go until it is published; "" when no folder could be made.
  const vb::String& Path() const { return path_; }
  // Gives it its final name; an empty folder is removed instead.
  void Publish();

 private:
  vb::String parent_, label_, path_;
};

// Puts the database file `built` in the place of `target` (both real paths)
// and removes `built`: connections that have the target open wait for the
// copy and then see the new database; a missing target is made.
void PutDatabaseInPlace(const vb::String& target, const vb::String& built);

}  // namespace qe
