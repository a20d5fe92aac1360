#include "platform/fs/path_names.h"

namespace fs::detail {

namespace {

bool IsDotsAndBlanksOnly(StringView name) {
  return name.find_first_not_of(u". ") == StringView::npos;
}

}  // namespace

bool StartsWithDrive(StringView path) {
  if (path.size() < 3 || path[1] != u':' || !IsSeparator(path[2])) return false;
  char16_t letter = path[0];
  return (letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z');
}

NameWalk AppendNames(StringView path, std::vector<StringView>& names) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    StringView name = path.substr(start, end - start);
    start = end + 1;
    if (name.empty() || name == u".") continue;
    if (name == u"..") {
      if (names.empty()) return NameWalk::kLeavesTop;
      names.pop_back();
      continue;
    }
    if (IsDotsAndBlanksOnly(name)) return NameWalk::kDotsOnlyName;
    names.push_back(name);
  }
  return NameWalk::kOk;
}

vb::String JoinNames(StringView prefix, const std::vector<StringView>& names) {
  vb::String out(prefix);
  for (StringView name : names) {
    out += u'\\';
    out += name;
  }
  if (names.empty() && prefix.size() == 2 && prefix[1] == u':') out += u'\\';
  return out;
}

}  // namespace fs::detail
