#pragma once
// INI files read as GetPrivateProfileString reads them.
//
// The file is text of code page 936, lines ended by CR LF (or LF). A line
// whose first non-blank character is "[" opens a section, named by what
// stands between it and the next "]" (or the line's end), blanks trimmed. In
// a section, a line holding "=" gives a key (the text before its first "=",
// blanks trimmed) and a value (the text after it, blanks trimmed, then one
// pair of enclosing quotes, ' or ", removed). A look-up finds the first
// section whose name matches without case, and in it the first key that
// matches without case; a missing file, section or key gives "". Values are
// read whole, whatever their length.
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/vb/string.h"

namespace sys {

using vb::String;
using vb::StringView;

class Profile {
 public:
  Profile() = default;
  // `text`: the file's content, decoded.
  explicit Profile(String text);
  // The file at a Windows path; a missing or unreadable file is empty.
  static Profile Load(StringView windows_path);

  String Value(StringView section, StringView key) const;
  // The value, or std::nullopt when the section or the key is missing.
  std::optional<String> Find(StringView section, StringView key) const;
  bool HasSection(StringView section) const;

 private:
  struct Entry {
    size_t begin;
    size_t length;
  };
  struct Section {
    std::unordered_map<String, Entry, vb::NoCaseHash, vb::NoCaseEqual> keys;
  };
  String text_;
  std::vector<Section> sections_;
  std::unordered_map<String, size_t, vb::NoCaseHash, vb::NoCaseEqual> section_index_;
};

// One value from a file, or `default_value` when it is missing (the file, its
// section or the key).
String GetPrivateProfileString(StringView section, StringView key, StringView default_value, StringView file_name);

}  // namespace sys
