#pragma once
// The directory search (FindFirstFile / FindNextFile), with the attributes
// that Windows reports and VB's attribute masks (Dir).
//
// Attributes come from the host: a folder is a directory, anything else an
// archive file, and an entry its owner may not write is read-only. This
// platform has no hidden or system entries.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/vb/string.h"

namespace fs {

using vb::String;
using vb::StringView;

enum FileAttribute : uint32_t {
  kAttributeReadOnly = 0x1,
  kAttributeHidden = 0x2,
  kAttributeSystem = 0x4,
  kAttributeDirectory = 0x10,
  kAttributeArchive = 0x20,
};

struct FoundEntry {
  String name;  // as stored on disk, without its folder ("." and ".." in listings)
  uint32_t attributes = 0;
  uint64_t size = 0;  // bytes; 0 for a folder
};

// The entry that the path names, its names taken literally (no wildcards):
// std::nullopt when it does not exist. A trailing separator names the folder
// itself ("C:\a\" is the folder a). Raises as FullPath and ToHostPath do.
std::optional<FoundEntry> FindEntry(StringView path);

// The entries that match a pattern whose last name may hold the wildcards
// "*" and "?" ("C:\site\*.*"); a pattern that ends in a separator lists the
// folder. Folders other than a drive's root list "." and ".." first; the rest
// come in the order NTFS gives (by upper-cased name). A missing folder gives
// no entries. Host names that Windows could not hold are left out.
std::vector<FoundEntry> FindFiles(StringView pattern);

// VB's rule for Dir(path, mask): an entry is found when each of its hidden,
// system and directory attributes is also in the mask, so mask 0 finds
// ordinary files and vbDirectory (16) finds folders and ordinary files.
bool MatchesAttributeMask(uint32_t attributes, uint32_t mask);

// The platform's name matching: "*" any run of characters, "?" any one, case
// ignored; "*.*" matches every name and "x.*" also matches "x".
bool MatchesWildcard(StringView pattern, StringView name);

}  // namespace fs
