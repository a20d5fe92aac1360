#include "common/kesra_request_modes.h"
#include "facade/qecls.h"

namespace qe {

// Pages reach the edit test with the id required to be a number.
bool QeCls::CommCheckEdit(vb::Variant& Request) { return KesraCheckEdit(Request, true); }

}  // namespace qe
