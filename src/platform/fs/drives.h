#pragma once
// The drive map's entries as path resolution needs them.
#include <filesystem>
#include <optional>

namespace fs::detail {

struct Drive {
  std::filesystem::path folder;       // absolute, as mapped: results are built on it
  std::filesystem::path real_folder;  // with links resolved: confinement is checked on it
};

std::optional<Drive> FindDrive(char16_t letter);

}  // namespace fs::detail
