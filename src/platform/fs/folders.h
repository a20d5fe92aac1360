#pragma once
// Creating folders by Windows path.
#include <filesystem>

#include "platform/vb/string.h"

namespace fs {

// MakeSureDirectoryPathExists: creates every missing folder named before the
// path's last separator ("C:\a\b\" makes a and b; "C:\a\b.txt" makes a only).
// True when they all exist afterwards as folders; false when one cannot be
// made (a file of that name is in the way, access is refused). Raises as
// FullPath and ToHostPath do for a path they refuse.
bool MakeSureDirectoryPathExists(vb::StringView path);

// CreateDirectory: one new folder in an existing one. Raises vb::Error 58
// when the name exists, 76 when the parent folder does not, 70 when access
// is refused, and as FullPath and ToHostPath do.
void CreateDirectory(vb::StringView path);

// Gives the finished folder `built` the name `target` unless a file or folder
// of that name exists (false then, with `built` left as it is). The files in
// it are made durable first: the name never stands for a folder whose files
// a crash could still cut short.
// The new name is made durable too.
bool PublishFolder(vb::StringView built, vb::StringView target);
// The same for host paths.
bool PublishHostFolder(const std::filesystem::path& built, const std::filesystem::path& target);

}  // namespace fs
