#pragma once
// The compound file (OLE2) that holds a BIFF workbook, read with every
// sector and chain checked against the file.
#include <optional>
#include <string>
#include <string_view>

namespace workbook::detail {

// The bytes of the stream "Workbook" (else "Book", the older format's),
// names compared without case; nullopt, with `why`, when the file is no
// sound compound file, has no such stream, or it is larger than `max_bytes`.
std::optional<std::string> ReadWorkbookStream(std::string_view file, uint64_t max_bytes, const char*& why);

}  // namespace workbook::detail
