#pragma once
// Splitting Windows paths into names, shared by MapPath and ToHostPath.
#include <vector>

#include "platform/vb/string.h"

namespace fs::detail {

using vb::StringView;

inline bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The text in double quotes, for error descriptions.
inline vb::String Quoted(StringView text) { return u"\"" + vb::String(text) + u"\""; }

// "X:" followed by a separator, at the start of the text.
bool StartsWithDrive(StringView path);

enum class NameWalk {
  kOk,
  kLeavesTop,     // a ".." climbed above where the walk started
  kDotsOnlyName,  // "...", ". ." and the like: Windows would trim them to nothing
};

// Appends the names of `path` to `names`. "\" and "/" both separate; empty
// names and "." are dropped; ".." removes the last name (the list may hold
// names from an earlier walk, such as the page's folder). The views point
// into `path`. Stops at the first problem.
NameWalk AppendNames(StringView path, std::vector<StringView>& names);

// `prefix` followed by "\" and each name; `prefix` alone ends in "\" when
// there are no names and it is a bare drive ("C:").
vb::String JoinNames(StringView prefix, const std::vector<StringView>& names);

}  // namespace fs::detail
