#pragma once
// Reading the headers of a zip archive, and mending those that libzip wrote.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ziparc {

// Where each entry's local header starts, in central directory order;
// std::nullopt when the directory cannot be read.
std::optional<std::vector<uint64_t>> LocalHeaderOffsets(const std::filesystem::path& archive);

// For each entry whose stored name is a key of `names`: clears the UTF-8 flag
// (general purpose bit 11) in its central directory record and its local
// header, and, when the value is not empty, adds to the central record an
// Info-ZIP Unicode Path field with that UTF-8 name, which readers that know
// it (Info-ZIP unzip, 7-Zip, libarchive, libzip) prefer to the stored bytes.
// False when the archive cannot be read or written as expected.
bool MendNames(const std::filesystem::path& archive, const std::unordered_map<std::string, std::string>& names);

}  // namespace ziparc
