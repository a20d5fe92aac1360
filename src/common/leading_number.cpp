#include "common/leading_number.h"

#include <limits>

#include "platform/vb/error.h"
#include "platform/vb/numbers.h"

namespace qe {

double LeadingNumber(vb::StringView text) {
  try {
    return vb::Val(text);
  } catch (const vb::Error& e) {
    if (e.Number() != vb::kOverflow) throw;
    // Val skips blanks, tabs and line feeds before the sign.
    const size_t sign = text.find_first_not_of(u" \t\n");
    const bool negative = sign != vb::StringView::npos && text[sign] == u'-';
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  }
}

}  // namespace qe
