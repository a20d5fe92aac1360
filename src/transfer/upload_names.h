#pragma once
// Names that an upload gives and takes: the generated 18-digit names, the
// client's file name as it is kept, and texts made safe for the upload report.
#include <optional>

#include "platform/vb/string.h"

namespace qe {

// The local date and time as yyyymmddhhnnss and four random digits. Callers
// that need a name no one has take it by creating the file exclusively and
// ask again on a clash; the generator is not reseeded per call, so names made
// in the same instant differ.
vb::String MakeNewName();

// The file name a browser sent (filename="..."), as the upload keeps it: "/"
// and "\" separate folders and only the last name is kept; NUL characters are
// dropped; a pasted picture named "blob" gets a generated name with ".png";
// the report's separators are replaced (see ReportSafe). Nothing for a name
// that is empty, "." or "..", or holds a control character.
std::optional<vb::String> ClientLocalName(vb::StringView sent);

// `base` + `tail`, with characters taken off the end of `base` (never off
// `tail`: the extension, or a number and the extension) until the name fits
// one name on the host. A name without a tail keeps no trailing dots or
// blanks after a cut, which Windows would drop. When the tail alone does not
// fit, the base goes and the write then fails.
vb::String FitHostName(vb::StringView base, vb::StringView tail);

// The text with the report's separators replaced: "|" by ",", "$" and "#" by
// "_", so that a page splitting the report on them reads every piece whole.
vb::String ReportSafe(vb::StringView text);

}  // namespace qe
