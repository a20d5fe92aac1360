#include "transfer/first_part_data.h"

#include "platform/vb/error.h"
#include "transfer/multipart_parts.h"

namespace qe {

std::string_view FirstPartData(std::string_view body) {
  constexpr auto npos = std::string_view::npos;
  size_t line_end = FindBytes(body, "\r\n", 0);
  if (line_end == npos || line_end == 0)
    vb::Raise(vb::kInvalidProcedureCall, u"The data hold no delimiter line");
  std::string_view delimiter = body.substr(0, line_end);
  size_t blank = FindBytes(body, "\r\n\r\n", 0);
  if (blank == npos) vb::Raise(vb::kInvalidProcedureCall, u"The data hold no blank line after the part's headers");
  size_t start = blank + 4;
  size_t end = FindBytes(body, delimiter, start + 1);
  if (end == npos) vb::Raise(vb::kInvalidProcedureCall, u"The data hold no delimiter after the part");
  return body.substr(start, end - start);
}

}  // namespace qe
