#pragma once
// Running a program of the machine from a test: its output and exit status,
// with /usr/bin/python3 named directly (another python3 may stand first on
// PATH).
#include <cstdio>
#include <string>

namespace qe_test {

inline constexpr char kPython[] = "/usr/bin/python3";

struct CommandResult {
  int status = -1;  // as the shell gives it: 0 for success
  std::string output;
};

inline CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return result;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) result.output.append(buffer, n);
  result.status = pclose(p);
  return result;
}

// A shell word: the text between single quotes.
inline std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a Python program given as text, with its arguments.
inline CommandResult RunPython(const std::string& program, const std::string& arguments = "") {
  return RunCommand(std::string(kPython) + " -c " + ShellQuoted(program) + " " + arguments + " 2>&1");
}

}  // namespace qe_test
