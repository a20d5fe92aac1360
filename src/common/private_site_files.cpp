#include "common/private_site_files.h"

#include "platform/fs/paths.h"
#include <optional>
#include <vector>

#include "platform/vb/string.h"

namespace qe {
namespace {

bool SameName(const std::filesystem::path& name, std::string_view wanted) {
  return vb::EqualsNoCase(vb::FromUtf8(name.string()), vb::FromUtf8(wanted));
}

// The names of `file` below `folder`, both canonical; none when the file is
// not below it.
std::vector<std::filesystem::path> NamesBelow(const std::filesystem::path& folder, const std::filesystem::path& file) {
  std::filesystem::path relative = file.lexically_relative(folder);
  if (relative.empty() || *relative.begin() == ".." || *relative.begin() == ".") return {};
  return {relative.begin(), relative.end()};
}

std::filesystem::path Canonical(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::canonical(path, error);
  return error ? std::filesystem::path() : canonical;
}

bool StartsWithFolder(const std::vector<std::filesystem::path>& names, std::string_view folder) {
  size_t i = 0;
  for (std::string_view rest = folder; !rest.empty(); ++i) {
    size_t slash = rest.find('/');
    std::string_view name = rest.substr(0, slash);
    // The last name is the file itself: a folder must stand before it.
    if (i + 1 >= names.size() || !SameName(names[i], name)) return false;
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
  }
  return true;
}

}  // namespace

bool IsPrivateSiteFile(const std::filesystem::path& site_folder, const std::filesystem::path& file) {
  std::filesystem::path root = Canonical(site_folder), real = Canonical(file);
  if (root.empty() || real.empty()) return true;  // what cannot be placed is not handed out
  std::vector<std::filesystem::path> names = NamesBelow(root, real);
  for (std::string_view folder : kPrivateSiteFolders)
    if (StartsWithFolder(names, folder)) return true;
  for (size_t i = 0; i + 1 < names.size(); ++i)
    if (SameName(names[i], kBackupFolderName)) return true;
  return false;
}

bool IsInsideMappedDrive(const std::filesystem::path& file) {
  std::filesystem::path real = Canonical(file);
  if (real.empty()) return false;
  for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
    std::optional<std::filesystem::path> folder = fs::DriveFolder(letter);
    if (!folder) continue;
    std::filesystem::path drive = Canonical(*folder);
    if (drive.empty()) continue;
    if (real == drive || !NamesBelow(drive, real).empty()) return true;
  }
  return false;
}

}  // namespace qe
