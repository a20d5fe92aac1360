#pragma once
// The request target as the server reads it, before any page or file is
// looked up. Anything it cannot read without guessing is refused (400).
#include <optional>
#include <string>
#include <string_view>

#include "platform/asp/request_info.h"
#include "platform/vb/string.h"

namespace host {

// The virtual path of a target's path part ("/qe/%E6%B5%8B.htm"): the %XX
// escapes decoded, the bytes read as UTF-8 when they are valid UTF-8 (what
// browsers send) and as code page 936 otherwise. nullopt for a path that does
// not begin with "/", a "%" without two hex digits after it, a control
// character or "\", bytes that are neither, and a name made only of dots and
// blanks ("..", "." and their Windows aliases " ..", "... ").
std::optional<vb::String> TargetVirtualPath(std::string_view path);

// False for a query string with a "%" not followed by two hex digits, whose
// decoded bytes are neither code page 936 text nor UTF-8, or that holds NUL:
// no page could put such a value into a text (SQL among them) without cutting it.
bool IsReadableQuery(std::string_view query);

// Whether a URL-encoded body holds NUL, escaped ("%00") or as a byte, found
// as its pieces come (an escape split between pieces too): such a form is
// refused (400) as its query would be.
class FormNulFinder {
 public:
  void Add(std::string_view bytes);
  bool Found() const { return found_; }

 private:
  std::string tail_;  // the last two bytes so far
  bool found_ = false;
};

// Leaves out of the Cookie fields each cookie whose name or value holds NUL,
// escaped ("%00") or as a byte, as if the browser had not sent it: no value
// holding NUL reaches a page, and a cookie another port of this host set
// cannot lock a browser out of the site. A field left without cookies goes.
void DropCookiesHoldingNul(asp::HeaderList& fields);

// A field's value (or a piece of it) without the blanks and tabs around it.
std::string_view TrimBlanks(std::string_view text);

// True when the bytes are code page 936 text: no lead byte without its trail
// byte, no byte or pair that makes no character.
bool IsAnsiText(std::string_view bytes);

}  // namespace host
