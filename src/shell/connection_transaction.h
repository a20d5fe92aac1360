#pragma once
// Writing several rows as one change.
#include <functional>

#include "platform/vb/variant.h"

namespace qe {

// Runs `body` in a transaction of the open connection `Conn` and commits it.
// When `body` (or the commit) raises, the transaction is rolled back, `Conn`
// is closed and released, and the error goes on to the caller.
void RunInTransaction(vb::Variant& Conn, const std::function<void()>& body);

}  // namespace qe
