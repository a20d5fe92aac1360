#pragma once
// A temporary folder for a target's whole run, removed with everything in it
// when the run ends: libFuzzer ends a run with exit(), which destroys statics.
// Kept as a function's static, it outlives any static made after it (a
// database connection into it).
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class TempFolder {
 public:
  // `prefix`: the folder's name before mkdtemp's six characters.
  explicit TempFolder(const char* prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / prefix).string() + "XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};
