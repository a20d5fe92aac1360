#include "platform/sys/command_line.h"

namespace sys {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

size_t SkipBlanks(vb::StringView line, size_t at) {
  while (at < line.size() && IsBlank(line[at])) ++at;
  return at;
}

}  // namespace

std::vector<Argument> SplitCommandLine(vb::StringView line) {
  std::vector<Argument> arguments;
  size_t at = SkipBlanks(line, 0);
  if (at == line.size()) return arguments;
  // The program name: no escapes.
  Argument program;
  if (line[at] == u'"') {
    size_t close = line.find(u'"', at + 1);
    size_t end = close == vb::StringView::npos ? line.size() : close;
    program.text = vb::String(line.substr(at + 1, end - at - 1));
    at = close == vb::StringView::npos ? line.size() : close + 1;
  } else {
    size_t end = at;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    program.text = vb::String(line.substr(at, end - at));
    at = end;
  }
  program.end = at;
  arguments.push_back(std::move(program));

  for (at = SkipBlanks(line, at); at < line.size(); at = SkipBlanks(line, at)) {
    Argument argument;
    bool quoted = false;
    while (at < line.size() && (quoted || !IsBlank(line[at]))) {
      if (line[at] == u'\\') {
        size_t run = 0;
        while (at < line.size() && line[at] == u'\\') ++run, ++at;
        if (at < line.size() && line[at] == u'"') {
          argument.text.append(run / 2, u'\\');
          if (run % 2 == 1) {
            argument.text += u'"';
            ++at;
          }
        } else {
          argument.text.append(run, u'\\');
        }
      } else if (line[at] == u'"') {
        if (quoted && at + 1 < line.size() && line[at + 1] == u'"') {
          argument.text += u'"';
          at += 2;
        } else {
          quoted = !quoted;
          ++at;
        }
      } else {
        argument.text += line[at++];
      }
    }
    argument.end = at;
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::optional<vb::String> InterpreterCommand(vb::StringView line, const std::vector<Argument>& arguments) {
  bool strip_always = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const vb::String& text = arguments[i].text;
    if (text.size() != 2 || text[0] != u'/') return std::nullopt;  // the command comes after a switch
    char16_t option = static_cast<char16_t>(text[1] | 0x20);
    if (option == u's') strip_always = true;
    if (option != u'c' && option != u'k') continue;
    vb::StringView command = line.substr(SkipBlanks(line, arguments[i].end));
    if (command.empty() || command.front() != u'"') return vb::String(command);
    size_t quotes = 0;
    for (char16_t c : command) quotes += c == u'"';
    size_t close = command.find(u'"', 1);
    vb::StringView program = command.substr(1, close - 1);
    bool keep = !strip_always && quotes == 2 && program.find(u' ') != vb::StringView::npos;
    if (keep) return vb::String(command);
    vb::String stripped(command.substr(1));
    stripped.erase(stripped.rfind(u'"') == vb::String::npos ? stripped.size() : stripped.rfind(u'"'), 1);
    return stripped;
  }
  return std::nullopt;
}

}  // namespace sys
