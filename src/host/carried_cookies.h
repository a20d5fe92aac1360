#pragma once
// The cookies a request head carried, read from its bytes as far as they
// came: a head too large to be taken is refused with an answer that removes
// them, so that the browser's next request fits (cookies another port of
// this host set would otherwise refuse it every time).
#include <string>
#include <string_view>
#include <vector>

namespace host {

struct CarriedCookies {
  std::string path;  // of the target, as it came ("/qe/main/desk.asp"); "" for another target
  // The domains a page of this host may set a cookie for (Domain=), which a
  // removal must name: the Host's name and each domain above it that holds a
  // dot ("office.school.edu", "school.edu"). None for an address.
  std::vector<std::string> domains;
  std::vector<std::string> names;  // each once, in the order they came
};

// At most this many names are read: more than a browser keeps for one host
// (Chromium, 180).
inline constexpr size_t kMaxCarriedCookies = 256;

// From the raw head (request line, then fields), whole or cut short: the
// names of the Cookie fields' cookies, each made of bytes a Set-Cookie field
// can carry back. A name the head's end cut short is not read.
CarriedCookies ReadCarriedCookies(std::string_view head);

}  // namespace host
