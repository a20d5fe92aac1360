#pragma once
// The compound file (OLE2) that holds a BIFF workbook, read with every
// sector and chain checked against the file, and written with one stream.
#include <optional>
#include <string>
#include <string_view>

namespace workbook::detail {

// The bytes of the stream "Workbook" (else "Book", the older format's),
// names compared without case; nullopt, with `why`, when the file is no
// sound compound file, has no such stream, or it is larger than `max_bytes`.
// `other_entries`, when given, tells whether the file holds any stream or
// storage besides that one (macros, summary information, embeddings).
std::optional<std::string> ReadWorkbookStream(std::string_view file, uint64_t max_bytes, const char*& why,
                                              bool* other_entries = nullptr);

// A compound file (version 3, 512-byte sectors) whose only stream is
// "Workbook" with these bytes, padded with zeros to the 4,096 bytes below
// which a stream would go to the mini stream.
std::string CompoundFileOfWorkbook(std::string stream);

}  // namespace workbook::detail
