#pragma once
// Scratch files and folders that no other request picks, and putting built
// database files in the place of the site's.
#include "platform/vb/variant.h"

namespace qe {

// `prefix` followed by 16 random hexadecimal digits.
vb::String PrivateName(vb::StringView prefix);

// A new folder in `parent` (which is made when missing) named `prefix` and
// random digits; its real path. Raises as the file system does.
vb::String CreatePrivateFolder(const vb::String& parent, vb::StringView prefix);

// A new folder of one maintenance run's own under the site's "/AutoBackup",
// named by the label and the date and time (a name that is taken gets a
// number after it); its real path, or "" when none can be made.
vb::String CreateBackupFolder(vb::Variant& Server, vb::StringView label);

// Puts the database file `built` in the place of `target` (both real paths)
// and removes `built`: connections that have the target open wait for the
// copy and then see the new database; a missing target is made.
void PutDatabaseInPlace(const vb::String& target, const vb::String& built);

}  // namespace qe
