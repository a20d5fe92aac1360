#pragma once
// The site `qe serve` runs when it is given none: made on first run in the
// user's data folder from files built into the program.
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/vb/string.h"

namespace host {

// $XDG_DATA_HOME/qe/site, else ~/.local/share/qe/site.
std::filesystem::path DefaultSiteFolder();

// Writes the built-in files that the folder does not have yet; a file that is
// there (edited by its owner, say) is left as it is. The databases are not
// among them: the first request to the start page makes the main database
// from the schema and seeds it, as on any site without one, because only a
// database made by that request is seeded (seeding assumes empty tables).
void MakeDefaultSite(const std::filesystem::path& folder);

// The built-in file of a virtual path ("/qe/qe.css", any letter case), which
// `qe serve` sends to a site that has no file of its own there: every page
// links the stylesheet, on any site.
struct BuiltInFile {
  std::string_view bytes;
  std::string_view content_type;
};
std::optional<BuiltInFile> FindBuiltInFile(vb::StringView virtual_path);

}  // namespace host
