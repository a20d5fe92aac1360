#pragma once
// The names in the file headers of a RAR 4 archive, read from the headers
// themselves: the reader library gives a name without the archive's Unicode
// flag as bytes it cannot tell from UTF-8, and these are code page 936.
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/vb/string.h"

namespace ziparc {

// One name per file header, in archive order; std::nullopt when the file is no
// RAR 4 archive or its headers are broken.
std::optional<std::vector<vb::String>> ReadRar4Names(const std::filesystem::path& archive);

}  // namespace ziparc
