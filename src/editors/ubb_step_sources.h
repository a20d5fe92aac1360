#pragma once
// Builders of the step sources the two UBB converters share: the shapes of
// their patterns, each with the search that finds the same matches.
#include <vector>

#include "editors/ubb_steps.h"

namespace qe::ubb {

// A step whose pattern is linear in the text searched from a position, while
// its closing tag (lower case) occurs further on; `search` is the same
// pattern with possessive quantifiers where they change no match.
StepSource Searched(vb::StringView pattern, vb::StringView search, vb::String replacement, vb::StringView close);
StepSource Located(vb::StringView pattern, vb::StringView search, vb::String replacement, Locator locator,
                   vb::StringView open, vb::StringView close);
// "(\[TAG\])(.[^\[]*)(\[\/CLOSE\])" (CLOSE: TAG when empty).
StepSource Pair(vb::StringView tag, vb::String replacement, vb::StringView close = {});
// "(\[TAG=(.[^\[]*)\])(.[^\[]*)(\[\/TAG\])".
StepSource ParameterPair(vb::StringView tag, vb::String replacement);
// "\[TAG=*([0-9]*),*([0-9]*)\](.[^\[]*)\[\/TAG]".
StepSource Sized(vb::StringView tag, vb::String replacement);
// "\[TAG=*([0-9]*),*(#*[a-z0-9]*),*([0-9]*)\](.[^\[]*)\[\/TAG]" as a table
// with the CSS filter of that name.
StepSource Filtered(vb::StringView tag, vb::StringView filter);

std::vector<Step> Steps(const std::vector<StepSource>& sources);

}  // namespace qe::ubb
