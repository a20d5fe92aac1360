#pragma once
// Command lines split as Windows programs split them, and the command that
// the interpreter ("cmd.exe /c ...") runs.
#include <optional>
#include <vector>

#include "platform/vb/string.h"

namespace sys {

struct Argument {
  vb::String text;
  size_t end = 0;  // where it ends in the line
};

// The program's C run-time rules: blanks and tabs separate; double quotes
// group and are removed; 2n backslashes before a quote give n and the quote
// groups, 2n+1 give n and a literal quote; "" within quotes is a literal
// quote; other backslashes are literal. The first argument (the program)
// ends at the next blank, or at the closing quote when it starts quoted.
std::vector<Argument> SplitCommandLine(vb::StringView line);

// The text after the switch /C (or /K) of an interpreter's arguments, with
// the interpreter's quote rule: a command that starts with a quote loses its
// first and last quote unless it holds just those two around a blank-holding
// program name. std::nullopt when there is no such switch.
std::optional<vb::String> InterpreterCommand(vb::StringView line, const std::vector<Argument>& arguments);

}  // namespace sys
