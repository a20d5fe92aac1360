#pragma once
// Running the qe program from a shell, as a person does.
#include <cstdio>
#include <string>

namespace qe_command {

// What `qe ARGS` printed (standard output and error together).
inline std::string RunQe(const std::string& args) {
  std::string command = "'" QE_PROGRAM_PATH "' " + args + " 2>&1";
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  return out;
}

}  // namespace qe_command
