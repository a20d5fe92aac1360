#pragma once
// The server's map of file extensions to content types. As on the web server,
// a file whose extension is not in the map is not served: that keeps page
// sources, includes and database files (".asp", ".inc", ".mdb") to the site.
#include <optional>
#include <string_view>

namespace host {

// The content type of a file name by its extension, any letter case;
// nullopt when the server serves no such file.
std::optional<std::string_view> ContentTypeOf(std::string_view file_name);

}  // namespace host
