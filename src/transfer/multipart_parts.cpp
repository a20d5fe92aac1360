#include "transfer/multipart_parts.h"

#include <string.h>

#include <algorithm>
#include <string>

namespace qe {

size_t FindBytes(std::string_view haystack, std::string_view needle, size_t from) {
  if (from > haystack.size() || needle.size() > haystack.size() - from) return std::string_view::npos;
  if (needle.empty()) return from;
  // memmem is linear on long needles and data full of CR LF, where a
  // first-byte scan is not.
  const void* found = ::memmem(haystack.data() + from, haystack.size() - from, needle.data(), needle.size());
  if (!found) return std::string_view::npos;
  return static_cast<size_t>(static_cast<const char*>(found) - haystack.data());
}

namespace {

// A delimiter is followed by CR LF, by "--" (the closing one), by blanks
// before its CR LF, or by the end of the body; anything else is data that
// happens to hold the boundary text.
bool EndsDelimiter(std::string_view rest) {
  return rest.size() < 2 || rest.starts_with("\r\n") || rest.starts_with("--") || rest[0] == ' ' || rest[0] == '\t';
}

// A form whose inputs were all left empty or unchecked has no parts: its
// body is the closing delimiter alone ("--boundary--"), with or without a
// line break after it.
bool IsClosingDelimiterAlone(std::string_view body) {
  std::string_view line = body.substr(0, std::min(FindBytes(body, "\r\n", 0), body.size()));
  std::string_view rest = body.substr(line.size());
  return line.size() > 4 && line.starts_with("--") && line.ends_with("--") && (rest.empty() || rest == "\r\n");
}

}  // namespace

size_t FindDelimiter(std::string_view body, std::string_view next_line, size_t from) {
  for (;;) {
    size_t at = FindBytes(body, next_line, from);
    if (at == std::string_view::npos || EndsDelimiter(body.substr(at + next_line.size()))) return at;
    from = at + 1;
  }
}

MultipartEnd WalkMultipart(std::string_view body, const std::function<bool(const MultipartPart&)>& visit) {
  if (IsClosingDelimiterAlone(body)) return MultipartEnd::kComplete;
  const size_t line_end = FindBytes(body, "\r\n", 0);
  if (line_end == 0 || line_end == std::string_view::npos) return MultipartEnd::kTruncated;
  const std::string_view delimiter = body.substr(0, line_end);
  const std::string next_line = "\r\n" + std::string(delimiter);

  size_t start = line_end + 2;
  for (;;) {
    size_t before_next = FindDelimiter(body, next_line, start);
    if (before_next == std::string_view::npos) return MultipartEnd::kTruncated;
    size_t blank = FindBytes(body.substr(0, before_next + 2), "\r\n\r\n", start);
    if (blank == std::string_view::npos) return MultipartEnd::kTruncated;

    MultipartPart part;
    part.header_offset = start;
    part.header_size = blank - start;
    part.data_offset = blank + 4;
    part.data_size = before_next - std::min(before_next, part.data_offset);
    if (!visit(part)) return MultipartEnd::kStopped;

    size_t after = before_next + next_line.size();
    std::string_view rest = body.substr(after);
    if (rest.size() <= 5 || rest.starts_with("--")) return MultipartEnd::kComplete;
    start = after + 2;
  }
}

}  // namespace qe
