#pragma once
// The room an archive declares before any of it is unpacked: its files and
// the folders they make (declared ones and those their names imply), read
// from the archive's headers alone.
#include <filesystem>
#include <optional>

namespace host {

// The room the entries of a zip or rar archive would take in a drive (each
// file its size but at least a disk block, each folder a block), read until
// it passes `enough`; nothing when the headers cannot be read.
std::optional<double> DeclaredSpace(const std::filesystem::path& archive, double enough);

}  // namespace host
