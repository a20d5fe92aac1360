#include "platform/sys/programs.h"

#include <deque>
#include <mutex>

#include "platform/sys/command_line.h"
#include "platform/sys/rar_program.h"

namespace sys {

namespace {

constexpr size_t kKept = 100;
// An interpreter that starts an interpreter that starts ... gives up.
constexpr int kMaxNesting = 4;

struct Record {
  std::mutex mutex;
  std::deque<vb::String> lines;
};

Record& State() {
  static Record record;
  return record;
}

vb::StringView FileName(vb::StringView path) {
  size_t last = path.find_last_of(u"\\/");
  return last == vb::StringView::npos ? path : path.substr(last + 1);
}

bool IsProgram(vb::StringView path, vb::StringView name) {
  vb::StringView file = FileName(path);
  return vb::EqualsNoCase(file, vb::String(name) + u".exe") || vb::EqualsNoCase(file, name);
}

int32_t Run(vb::StringView line, int nesting) {
  std::vector<Argument> arguments = SplitCommandLine(line);
  if (arguments.empty()) return kProgramNotFound;
  const vb::String& program = arguments[0].text;
  if (IsProgram(program, u"cmd")) {
    std::optional<vb::String> command = InterpreterCommand(line, arguments);
    if (!command) return 0;  // an interactive interpreter without input ends at once
    if (nesting >= kMaxNesting) return kProgramNotFound;
    return Run(*command, nesting + 1);
  }
  if (IsProgram(program, u"rar")) {
    std::vector<vb::String> rest;
    for (size_t i = 1; i < arguments.size(); ++i) rest.push_back(std::move(arguments[i].text));
    return RunRar(rest);
  }
  return kProgramNotFound;
}

}  // namespace

int32_t RunCommandLine(vb::StringView line) {
  {
    std::lock_guard lock(State().mutex);
    State().lines.emplace_back(line);
    if (State().lines.size() > kKept) State().lines.pop_front();
  }
  return Run(line, 0);
}

std::vector<vb::String> CommandLinesRun() {
  std::lock_guard lock(State().mutex);
  return {State().lines.begin(), State().lines.end()};
}

void ClearCommandLinesRun() {
  std::lock_guard lock(State().mutex);
  State().lines.clear();
}

}  // namespace sys
