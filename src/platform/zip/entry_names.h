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

// What an archive tells of a name's bytes. A name is never a reason to
// refuse an archive: every rule below gives a text.
enum class NameBytes {
  kUtf8,         // flagged UTF-8: bytes that are no UTF-8 become U+FFFD
  kFromUnix,     // unflagged from Unix or macOS: UTF-8, else code page 936, else as kUtf8
  kFromWindows,  // unflagged from DOS, Windows or any other system: code page
                 // 936, else UTF-8, else code page 437 (DOS), which reads every byte
};
String DecodeEntryName(std::string_view bytes, NameBytes kind);

bool IsAscii(StringView name);
bool IsAscii(std::string_view bytes);
// Well-formed UTF-8: no stray or missing continuation byte, no overlong form,
// no surrogate, nothing past U+10FFFF.
bool IsUtf8(std::string_view bytes);
// Bytes of code page 936 that each make a character: no lead byte without a
// trail byte that completes it.
bool IsCodePage936(std::string_view bytes);

// The names along an entry's path ("/" and "\" both separate), each as
// Windows stores it (trailing dots and blanks dropped; "." and empty
// elements skipped, so "a//b" is "a/b"); a trailing separator or "." makes
// the entry a folder, and no names at all the destination itself.
struct EntryPath {
  std::vector<String> names;
  bool folder = false;
};
// std::nullopt for an entry that would leave the destination or that Windows
// could not hold: an empty name, a leading separator, a drive ("C:x", "C:\x"),
// "..", a name Windows refuses (device names, reserved or control
// characters) or one too long for the host.
std::optional<EntryPath> CheckEntryPath(StringView name);

// The name as a comparison key: one code unit at a time in upper case, as
// NTFS compares names.
String NameKey(StringView name);

}  // namespace ziparc
