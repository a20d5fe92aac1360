#pragma once
// Reading the headers of a zip archive, and mending those that libzip wrote.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace ziparc {

// Where each entry's local header starts, in central directory order;
// std::nullopt when the directory cannot be read.
std::optional<std::vector<uint64_t>> LocalHeaderOffsets(const std::filesystem::path& archive);

// libzip keeps the Info-ZIP Unicode Path field (0x7075) to itself: the
// writer adds it under this id, and MendNames gives it its own.
constexpr uint16_t kUnicodePathPlaceholder = 0x5145;
// The field's content: the UTF-8 form of a stored name.
std::string UnicodePathField(const std::string& stored, const std::string& utf8);

// For each entry whose stored name is one of `names`: clears the UTF-8 flag
// (general purpose bit 11), which libzip sets on every name that reads as
// UTF-8, and renames the placeholder field to the Unicode Path field, in its
// central directory record and its local header. Readers that know the field
// (Info-ZIP unzip, 7-Zip, libarchive, libzip) prefer it to the stored bytes.
// False when the archive cannot be read or written as expected.
bool MendNames(const std::filesystem::path& archive, const std::unordered_set<std::string>& names);

}  // namespace ziparc
