#pragma once
// Runs a JavaScript program with node, for tests of the client scripts that
// the component writes. Skips the test where node is not installed.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace test_support {

inline bool HaveNode() { return std::system("node --version > /dev/null 2>&1") == 0; }

// Runs the program and returns what it printed (stdout and stderr).
inline std::string RunNode(const std::string& program) {
  auto path = std::filesystem::temp_directory_path() /
              ("qe_node_" + std::to_string(::getpid()) + "_" + std::to_string(std::rand()) + ".js");
  std::ofstream(path) << program;
  std::string out;
  if (FILE* p = ::popen(("node " + path.string() + " 2>&1").c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  std::filesystem::remove(path);
  return out;
}

}  // namespace test_support
