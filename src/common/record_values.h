#pragma once
// Reading the current row of a page's recordset late-bound, as the
// component's procedures do: Rs(column).
#include "platform/vb/variant.h"

namespace qe {

// The column's value; the recordset's own error for a missing column or a
// recordset at either end.
vb::Variant RecordValue(const vb::Variant& Rs, vb::StringView column);
// The value as text, a Null as "" (as VB's "&" reads it).
vb::String RecordText(const vb::Variant& Rs, vb::StringView column);

}  // namespace qe
