#pragma once
// The structure configuration that every site carries as "\Comm\Data_Mdb.mdb"
// (pages name it "../Comm/Data_Mdb.mdb"): the main database's structure in
// the database form, captured by the component from a database made from the
// schema it carries, so that it follows the schema. The repair and the data
// creation rebuild the site's databases from it.
#include <chrono>

#include "platform/ado/sqlite_db.h"
#include "platform/vb/variant.h"

namespace qe {

// The site's configuration file.
inline constexpr char16_t kShippedConfiguration[] = u"C:\\Comm\\Data_Mdb.mdb";

// What a configuration made for the present schema carries: a digest of the
// schema and of the column properties the provider reports.
vb::String ShippedConfigurationStamp();

// Makes the configuration at the real path `path` (its folder is made) when
// the file is missing, or when it was made for another schema; a file made
// for the present one is kept, with whatever a capture wrote into it since.
// True when this call made it. An older file is replaced in place, so that
// connections to it see the new one. A file that writers keep from being
// read for `wait` (by default as long as a page's statement waits), or that
// cannot be read now for any other reason, is left as it is, for the next
// mount to look at. An older one, and one whose own
// bytes say it is no database, is kept first, whole, in a folder of the
// site's "AutoBackup" named for what it was and the time, and the system
// log says where; one that cannot be kept is left as it is.
bool ProvideShippedConfiguration(const vb::String& path, std::chrono::milliseconds wait = ado::kStatementWait);

}  // namespace qe
