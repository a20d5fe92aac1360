#pragma once
// Values written into SQL text.
#include "platform/vb/variant.h"

namespace qe {

// A text literal for Jet and SQL Server: the value between single quotes,
// each quote inside it doubled, so that no value can end the literal early.
vb::String SqlText(vb::StringView value);

// A table or column name for Jet and SQL Server: between brackets, each "]"
// inside it doubled, so that no name can end early.
vb::String SqlName(vb::StringView name);

}  // namespace qe
