#pragma once
// The data of a multipart body's first part, for KesraGetBinFromImage: the
// delimiter is the body's bytes before its first CR LF; the data start after
// the first blank line (CR LF CR LF) and end just before the next delimiter,
// searched from the byte after the data start.
//
// The result keeps the CR LF that comes before the delimiter: those two bytes
// are the body's, not the file's, but pages that save the result strip or
// expect them, so they stay.
#include <string_view>

namespace qe {

// Raises error 5 for a body without a CR LF, with an empty delimiter (the
// body starts with CR LF), without a blank line, or without a second delimiter.
std::string_view FirstPartData(std::string_view body);

}  // namespace qe
