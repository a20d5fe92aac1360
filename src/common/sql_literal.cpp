#include "common/sql_literal.h"

#include "platform/vb/strings.h"

namespace qe {

vb::String SqlText(vb::StringView value) { return u"'" + vb::Replace(value, u"'", u"''") + u"'"; }

vb::String SqlName(vb::StringView name) { return u"[" + vb::Replace(name, u"]", u"]]") + u"]"; }

}  // namespace qe
