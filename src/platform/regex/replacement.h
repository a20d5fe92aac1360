#pragma once
// The replacement text of RegExp.Replace with its tokens expanded.
#include "platform/regex/pattern.h"

namespace regex {

// Expands the tokens of `replacement` for one match of `subject`:
//   $$  a "$"            $&  the match          $`  the text before the match
//   $'  the text after the match
//   $n  $nn  group n (1..99; two digits when there are that many groups, else
//            one digit and the second is text); a group that did not take
//            part gives ""; a number past the groups is left as it is.
// Any other "$" is itself.
vb::String ExpandReplacement(vb::StringView replacement, vb::StringView subject,
                             const Captures& match);

}  // namespace regex
