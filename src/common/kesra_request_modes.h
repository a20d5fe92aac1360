#pragma once
// How list and edit pages choose their mode from the request's "ID" and
// "action" values.
#include "platform/vb/variant.h"

namespace qe {

// An "ID" is present (and numeric, when p_MustNumber).
bool KesraCheckEdit(vb::Variant& Request, bool p_MustNumber);
// No "action" is given.
bool KesraCheckRead(vb::Variant& Request);
// 1 a new record (no id), 2 editing ("edit" or "modify"), 3 reading.
int16_t KesraCheckState(vb::String p_Moden, vb::Variant p_ID);

}  // namespace qe
