#pragma once
// The bytes of a host file, for tests that look at what was written.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace qe_test {

inline std::string FileContent(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace qe_test
