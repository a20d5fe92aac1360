#pragma once
// Writing whole files and asking what exists, on real paths ("C:\site\up\a.jpg")
// resolved by the path model. Uploads save through these, so that a file is
// either written whole or not at all, and a name that must be new is never
// taken from another writer.
#include <string_view>

#include "platform/vb/string.h"

namespace fs {

using vb::StringView;

// True when the path names an existing file (folder). False for anything
// else, a path that the path model refuses included.
bool IsExistingFile(StringView windows_path);
bool IsExistingFolder(StringView windows_path);

// Creates the folder and its missing parents; nothing when it exists. True
// when this call made the folder: of two made at once, one only, so that
// each new folder is counted once where room is counted.
// Raises vb::Error: what ToHostPath raises, 75 when a file stands in the way
// or the folder cannot be made, 70 when that is refused.
bool CreateFolderWithParents(StringView windows_path);

// Writes `bytes` to a file that must not exist yet; the check and the
// creation are one step, so two writers never share a name. Raises
// vb::Error: 58 when the file exists, 76 when its folder does not, 70 when
// writing is refused, 61 when the disk is full, 75 for anything else, and
// what ToHostPath raises. A failed write leaves no file behind.
void CreateNewFile(StringView windows_path, std::string_view bytes);

// Writes `bytes` to the file, replacing one that exists. The old file stays
// as it was until the new content is complete. Raises as CreateNewFile does
// (70 when the name is a folder).
void ReplaceFile(StringView windows_path, std::string_view bytes);

}  // namespace fs
