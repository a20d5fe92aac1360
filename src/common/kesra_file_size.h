#pragma once
// The short size text of a byte count, as upload limits and quota bars show
// it: "1023B", "1.5K", "1M", "1024G".
#include "platform/vb/string.h"

namespace qe {

// Empty text gives "0B"; text that is not a number raises 13. Below 1024 the
// count as it stands; then K, M and G with two decimals at most (halves to
// even, no trailing zeros); G is the largest unit.
vb::String KesraGetFileSize(vb::String p_FileSize);

}  // namespace qe
