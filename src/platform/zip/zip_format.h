#pragma once
// Reading and mending the headers of a zip archive that libzip wrote.
#include <filesystem>
#include <string>
#include <unordered_set>

namespace ziparc {

// Clears the UTF-8 flag (general purpose bit 11) of every entry whose stored
// name is one of `names`, in its central directory record and its local
// header. False when the archive cannot be read or written as expected.
bool ClearUtf8Flags(const std::filesystem::path& archive, const std::unordered_set<std::string>& names);

}  // namespace ziparc
