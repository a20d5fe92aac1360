#pragma once
// Entries of a zip archive that libzip cannot read and this reader does not
// decode itself (PPMd, zstd, bzip2 or xz under AES, ...), read through
// libarchive, which walks the entries in the order of their data.
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/zip/staged_extraction.h"
#include "platform/zip/zip_results.h"

namespace ziparc {

struct FallbackEntry {
  size_t position;  // among the archive's distinct local headers, by offset
  size_t id;        // in the extraction
  uint64_t size;
  bool encrypted;
  std::time_t modified;
};

// Writes each entry into the extraction (entries sorted by position).
ZipResult ReadThroughLibarchive(const std::filesystem::path& archive, const std::string& password,
                                const std::vector<FallbackEntry>& entries, StagedExtraction& extraction);

}  // namespace ziparc
