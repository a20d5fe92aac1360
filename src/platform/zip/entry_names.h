#pragma once
// Names of archive entries: how they are written and read, and which of them
// may be extracted at all.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vb/string.h"

namespace ziparc {

using vb::String;
using vb::StringView;

// An entry name as stored: the bytes of code page 936 without the UTF-8 flag
// when the name fits the code page (what Windows clients read), else UTF-8
// with the flag.
struct StoredName {
  std::string bytes;
  bool utf8 = false;
};
StoredName EncodeEntryName(StringView name);
// The text of stored bytes: UTF-8 when the archive flags them so, else code
// page 936.
String DecodeEntryName(std::string_view bytes, bool utf8);

bool IsAscii(StringView name);
bool IsAscii(std::string_view bytes);
// Well-formed UTF-8: no stray or missing continuation byte, no overlong form,
// no surrogate, nothing past U+10FFFF.
bool IsUtf8(std::string_view bytes);

// The names along an entry's path ("/" and "\" both separate), each as
// Windows stores it (trailing dots and blanks dropped; "." elements
// skipped); a trailing separator or "." makes the entry a folder, and no
// names at all the destination itself.
struct EntryPath {
  std::vector<String> names;
  bool folder = false;
};
// std::nullopt for an entry that would leave the destination or that Windows
// could not hold: an empty name, a leading separator, a drive ("C:x", "C:\x"),
// ".." or an empty name between separators, a name Windows refuses
// (device names, reserved or control characters) or one too long for the host.
std::optional<EntryPath> CheckEntryPath(StringView name);

// The name as a comparison key: one code unit at a time in upper case, as
// NTFS compares names.
String NameKey(StringView name);

}  // namespace ziparc
