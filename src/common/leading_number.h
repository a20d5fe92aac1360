#pragma once
// The leading number of a text that pages send (page numbers, spans,
// widths), read as VB reads it but without failing the page on a number too
// large.
#include "platform/vb/string.h"

namespace qe {

// Val of the text; a number past the run-time's range reads as infinite in
// its direction instead of raising overflow.
double LeadingNumber(vb::StringView text);

}  // namespace qe
