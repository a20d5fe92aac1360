#include "common/sql_literal.h"

#include "platform/vb/strings.h"

namespace qe {

vb::String SqlText(vb::StringView value) { return u"'" + vb::Replace(value, u"'", u"''") + u"'"; }

}  // namespace qe
