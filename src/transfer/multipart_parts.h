#pragma once
// The parts of a multipart/form-data body, as offsets into it.
//
// The delimiter is the body's first line ("--" and the boundary). Each part
// runs from after a delimiter line to the CR LF before the next delimiter;
// its header block ends at the first blank line. The body ends with the
// closing delimiter (the delimiter and "--"), or with a delimiter followed by
// no more than 5 bytes. A body that is the closing delimiter alone is a form
// without parts.
#include <cstddef>
#include <functional>
#include <string_view>

namespace qe {

struct MultipartPart {
  size_t header_offset = 0;  // the header block, without its blank line
  size_t header_size = 0;
  size_t data_offset = 0;    // the data, without the CR LF before the next delimiter
  size_t data_size = 0;
};

enum class MultipartEnd {
  kComplete,   // the closing delimiter was reached
  kStopped,    // the visitor asked to stop
  kTruncated,  // no delimiter line, a part without a following delimiter, or
               // a header block without its blank line
};

// Visits the parts in body order; `visit` returns false to stop. A delimiter
// counts only at the start of a line (after CR LF), so file data that holds
// the boundary text elsewhere stays whole.
MultipartEnd WalkMultipart(std::string_view body, const std::function<bool(const MultipartPart&)>& visit);

// The CR LF before the next delimiter at or after `from`; `next_line` is CR
// LF and the delimiter. A match followed by other than CR LF, "--", blanks or
// the end of the body is data, and the search goes on past it.
size_t FindDelimiter(std::string_view body, std::string_view next_line, size_t from);

// The first `needle` in `haystack` at or after `from`; npos when none.
size_t FindBytes(std::string_view haystack, std::string_view needle, size_t from);

}  // namespace qe
