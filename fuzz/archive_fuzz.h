#pragma once
// Extraction of any bytes into a temporary drive: afterwards nothing lies
// outside the destination, no link was made, the caps held, and a failed
// extraction left no destination behind.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/fs/paths.h"
#include "platform/zip/staged_extraction.h"
#include "temp_folder.h"

namespace fuzz_archive {

namespace stdfs = std::filesystem;

constexpr uint64_t kMaxBytes = 1 << 20;
constexpr uint32_t kMaxEntries = 64;

inline void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

// Drive C: on a temporary folder for the whole run, removed at its end.
class Workspace {
 public:
  Workspace() {
    fs::MapDrive(u'C', folder_.Path());
    ziparc::SetLimits({kMaxBytes, kMaxEntries, uint64_t{32} << 20, uint64_t{32} << 20});
  }
  const stdfs::path& Folder() const { return folder_.Path(); }

 private:
  TempFolder folder_{"qe-fuzz-archive-"};
};

inline const stdfs::path& Drive() {
  static const Workspace workspace;
  return workspace.Folder();
}

inline void WriteArchive(std::string_view bytes, const char* name) {
  std::ofstream(Drive() / name, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// What the extraction left; clears the destination for the next input.
inline void CheckAfter(bool succeeded, const char* archive_name) {
  uint64_t bytes = 0, files = 0;
  for (auto it = stdfs::recursive_directory_iterator(Drive()); it != stdfs::recursive_directory_iterator(); ++it) {
    std::string relative = stdfs::relative(it->path(), Drive()).generic_string();
    Check(relative == archive_name || relative == "out" || relative.rfind("out/", 0) == 0, "a file outside the destination");
    Check(!it->is_symlink(), "a link");
    if (relative.rfind("out/", 0) == 0 && it->is_regular_file()) {
      ++files;
      bytes += it->file_size();
    }
  }
  Check(bytes <= kMaxBytes, "more bytes than the cap");
  Check(files <= kMaxEntries, "more files than the cap");
  Check(succeeded || !stdfs::exists(Drive() / "out"), "a failed extraction left its destination");
  stdfs::remove_all(Drive() / "out");
}

// Inputs either stand as they are or, after a first odd byte, flip bytes of a
// valid archive (pairs of offset and mask), to reach past the headers.
inline std::string Mutated(std::string_view input, const std::string& valid) {
  if (input.empty() || (input[0] & 1) == 0) return std::string(input.substr(input.empty() ? 0 : 1));
  std::string out = valid;
  for (size_t i = 1; i + 2 < input.size() && !out.empty(); i += 3) {
    size_t offset = (static_cast<uint8_t>(input[i]) | static_cast<uint8_t>(input[i + 1]) << 8) % out.size();
    out[offset] = static_cast<char>(out[offset] ^ input[i + 2]);
  }
  return out;
}

}  // namespace fuzz_archive
