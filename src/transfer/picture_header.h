#pragma once
// A picture file's type, width, height and colour depth as its header bytes
// give them ("JPG|640|480|24"), for KesraGetImageInfo. Fields that lie past
// the end of the bytes read as 0 and the type stays; bytes of no known kind
// give "|0|0|0". No byte past the data is read.
#include <string_view>

#include "platform/vb/string.h"

namespace qe {

vb::String PictureHeaderInfo(std::string_view bytes);

}  // namespace qe
