#pragma once
// What Windows accepts as a file or folder name, and how it compares names.
#include <optional>
#include <vector>

#include "platform/vb/string.h"

namespace fs::detail {

using vb::String;
using vb::StringView;

// The name as Windows stores it: trailing dots and blanks are dropped, so
// "qe.asp." and "data " open "qe.asp" and "data".
StringView TrimTrailingDotsAndBlanks(StringView name);

// Why Windows (or the host, for unpaired surrogates) cannot take the name as a
// file name: a reserved character (":" names an alternate stream), a control
// character, a device name ("con", "nul.txt", "COM1") or more than 255
// characters. Empty when valid.
String NameProblem(StringView name);

// Names compare without case, one code unit at a time through the Unicode
// upper-case mapping, as NTFS does ("ｄａｔａ" is "ＤＡＴＡ", "Ä" is "ä").
bool SameNameNoCase(StringView a, StringView b);

// Every name that SameNameNoCase holds equal to `name` (`name` among them),
// when there are at most `most`; nothing when there are more. A name of
// digits and a short extension has a handful, so whether any spelling of it
// exists takes that many lookups instead of a listing of its folder.
std::optional<std::vector<String>> SpellingsNoCase(StringView name, size_t most);

}  // namespace fs::detail
