#pragma once
// The site `qe serve` runs when it is given none: made on first run in the
// user's data folder from files built into the program.
#include <filesystem>

namespace host {

// $XDG_DATA_HOME/qe/site, else ~/.local/share/qe/site.
std::filesystem::path DefaultSiteFolder();

// Writes the built-in files that the folder does not have yet; a file that is
// there (edited by its owner, say) is left as it is. The databases are not
// among them: the first request to the start page makes the main database
// from the schema and seeds it, as on any site without one, because only a
// database made by that request is seeded (seeding assumes empty tables).
void MakeDefaultSite(const std::filesystem::path& folder);

}  // namespace host
