#pragma once
// Names for files that pages save: a time stamp, and a time stamp with a
// random part.
#include <cstdint>

#include "platform/vb/string.h"

namespace qe {

// yyyyMMddHHmmss of the current local time, every part zero-padded.
vb::String KesraFileGetTimeName();

// The time name followed by six random characters (five digits from a number
// 0..89,999 padded on the right with zeros, so the last is always "0"): 20
// characters. A longer p_Length adds "9"s, a shorter one keeps the last
// p_Length characters; a negative one raises 5.
vb::String KesraFileGetRndName(int16_t p_Length);

}  // namespace qe
