#pragma once
#include "platform/vb/variant.h"

namespace qe {

// Closes and releases a page's recordset and connection; never raises.
void QeCloseData(vb::Variant& Rs, vb::Variant& Conn);

}  // namespace qe
