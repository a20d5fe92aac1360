#pragma once
// The UBB editor's client pieces, fixed texts: the editor script (its three
// input modes and one function per tag, each appending to the field
// document.myform.Content) and the toolbar page (mode switch, nineteen tag
// buttons, font, size and colour lists).
#include <span>

#include "platform/vb/string.h"

namespace qe {

vb::String KesraShowUbbEditJs();
vb::String KesraShowUbbEdit();

namespace ubb {

// The colours of the toolbar's colour list: the 140 named colours of CSS in
// the order of their names, by their hexadecimal values.
struct NamedColour {
  const char16_t* name;
  const char16_t* hex;  // six upper-case digits
};
std::span<const NamedColour> ToolbarColours();
// The one written " selected".
inline constexpr char16_t kDefaultColourName[] = u"cornflowerblue";

}  // namespace ubb
}  // namespace qe
