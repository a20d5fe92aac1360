#pragma once
// The site folder as drive C:, so that "C:\" is the site root: what `qe call
// --site` and `qe serve --site` both do before any request runs.
#include <filesystem>

#include "platform/vb/string.h"

namespace host {

// Creates the folder and its database folder "data" when they are missing,
// maps drive C: to it, gives it the structure configuration of the present
// schema ("\Comm\Data_Mdb.mdb") when it has none, an older one or a damaged
// one (either kept first; one that writers keep busy is left as it is), gives its
// main database the schema's tables and columns that it lacks, and returns
// the site root as pages see it ("C:\"). What a killed server left unfinished
// in the database folder is removed.
vb::String MountSite(const std::filesystem::path& folder);

}  // namespace host
