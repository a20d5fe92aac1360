#include <algorithm>
#include <filesystem>

#include "platform/fs/paths.h"
#include "platform/vb/error.h"

namespace fs {

bool LiesInside(StringView windows_path, StringView windows_folder, bool or_same) {
  std::filesystem::path inner, outer;
  try {
    inner = ToHostPath(windows_path);
    outer = ToHostPath(windows_folder);
  } catch (const vb::Error&) {
    return false;
  }
  std::error_code error;
  inner = std::filesystem::weakly_canonical(inner, error);
  if (error) return false;
  outer = std::filesystem::weakly_canonical(outer, error);
  if (error) return false;
  auto [folder_end, inner_at] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
  // weakly_canonical may leave an empty last element for a trailing separator.
  while (folder_end != outer.end() && folder_end->empty()) ++folder_end;
  while (inner_at != inner.end() && inner_at->empty()) ++inner_at;
  if (folder_end != outer.end()) return false;
  return or_same || inner_at != inner.end();
}

}  // namespace fs
