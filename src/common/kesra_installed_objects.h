#pragma once
// Whether a class can be created on this server, so that pages can offer a
// feature only where its component is installed.
#include "platform/vb/variant.h"

namespace qe {

// True when an object of the programmatic identifier can be created; the
// object is released at once. Server is not used.
bool KesraCheckIsObjInstalled(vb::Variant& Server, vb::String strClassString);

}  // namespace qe
