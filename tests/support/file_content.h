#pragma once
// The bytes of a host file, and the files of a folder, for tests that look
// at what was written.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace qe_test {

inline std::string FileContent(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every file and folder below `root`, "/"-separated, folders ending in "/",
// with the content of each file.
inline std::map<std::string, std::string> FolderTree(const std::filesystem::path& root) {
  std::map<std::string, std::string> tree;
  for (auto it = std::filesystem::recursive_directory_iterator(root); it != std::filesystem::recursive_directory_iterator();
       ++it) {
    std::string relative = std::filesystem::relative(it->path(), root).generic_string();
    if (it->is_directory()) tree[relative + "/"] = "";
    else tree[relative] = FileContent(it->path());
  }
  return tree;
}

}  // namespace qe_test
