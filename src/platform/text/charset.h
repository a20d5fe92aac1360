#pragma once
// Character sets by name, as pages and streams name them ("gb2312", "utf-8",
// "unicode", ...): whole-text conversion between bytes and text.
#include <string>
#include <string_view>

#include "platform/vb/string.h"

namespace text {

class Charset {
 public:
  virtual ~Charset() = default;
  // The set's usual label ("gb2312", "utf-8", "unicode", "unicodeFFFE",
  // "us-ascii", "windows-1252", "big5") and its Windows code page number.
  virtual std::string_view Name() const = 0;
  virtual int CodePage() const = 0;
  // Bytes to text; bytes that make no character become "?" (U+FFFD in the
  // Unicode sets). A byte order mark is text like any other: streams strip it.
  virtual vb::String Decode(std::string_view bytes) const = 0;
  // Text to bytes; a character the set cannot represent becomes "?".
  virtual std::string Encode(vb::StringView text) const = 0;
};

// The set a label names, case-insensitively, blanks around ignored; nullptr
// when it names none. Labels:
//   code page 936     gb2312 gbk cp936 windows-936 ms936 x-gbk csgb2312 chinese
//   UTF-8             utf-8 utf8 unicode-1-1-utf-8
//   UTF-16 (LE)       unicode utf-16 utf-16le ucs-2
//   UTF-16 BE         unicodefffe utf-16be
//   ASCII             us-ascii ascii
//   code page 1252    windows-1252 iso-8859-1 latin1 cp1252 l1
//   Big5 (glibc)      big5 cn-big5 x-x-big5 csbig5
const Charset* FindCharset(std::string_view label);
const Charset* FindCharset(vb::StringView label);
// The set of a Windows code page number (936, 65001, 1200, 1201, 20127, 1252,
// 28591, 950); nullptr for any other.
const Charset* FindCodePage(int code_page);

// The server's ANSI code page (code page 936).
const Charset& AnsiCharset();

}  // namespace text
