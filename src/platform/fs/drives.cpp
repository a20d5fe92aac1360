#include "platform/fs/drives.h"

#include <array>
#include <mutex>
#include <shared_mutex>

#include "platform/fs/paths.h"
#include "platform/vb/error.h"

namespace fs {

namespace {

struct DriveMap {
  std::shared_mutex mutex;
  std::array<std::optional<detail::Drive>, 26> drives;
};

DriveMap& Map() {
  static DriveMap map;
  return map;
}

size_t DriveIndex(char16_t letter) {
  if (letter >= u'a' && letter <= u'z') return letter - u'a';
  if (letter >= u'A' && letter <= u'Z') return letter - u'A';
  vb::Raise(vb::kInvalidProcedureCall, u"\"" + String(1, letter) + u"\" is not a drive letter");
}

std::filesystem::path WithoutTrailingSeparator(std::filesystem::path path) {
  if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path;
}

}  // namespace

void MapDrive(char16_t letter, std::filesystem::path host_folder) {
  size_t index = DriveIndex(letter);
  detail::Drive drive;
  drive.folder =
      WithoutTrailingSeparator(std::filesystem::absolute(host_folder).lexically_normal());
  std::error_code error;
  drive.real_folder = std::filesystem::weakly_canonical(drive.folder, error);
  if (error) drive.real_folder = drive.folder;
  drive.real_folder = WithoutTrailingSeparator(drive.real_folder);
  DriveMap& map = Map();
  std::unique_lock lock(map.mutex);
  map.drives[index] = std::move(drive);
}

void UnmapDrive(char16_t letter) {
  size_t index = DriveIndex(letter);
  DriveMap& map = Map();
  std::unique_lock lock(map.mutex);
  map.drives[index].reset();
}

std::optional<std::filesystem::path> DriveFolder(char16_t letter) {
  std::optional<detail::Drive> drive = detail::FindDrive(letter);
  if (!drive) return std::nullopt;
  return drive->folder;
}

namespace detail {

std::optional<Drive> FindDrive(char16_t letter) {
  size_t index = DriveIndex(letter);
  DriveMap& map = Map();
  std::shared_lock lock(map.mutex);
  return map.drives[index];
}

}  // namespace detail

}  // namespace fs
