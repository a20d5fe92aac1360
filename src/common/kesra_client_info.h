#pragma once
// A rough reading of the client's operating system and browser from its user
// agent, for statistics and notices; not a security decision.
#include "platform/vb/variant.h"

namespace qe {

// "Win 2003", "Win 2000", "Win XP", "Win Nt", "Win 9x", "类Unix", "Mac" or "其它".
vb::String KesraCheckNetUserSystem(vb::Variant& Request);
// "IE" or "其它".
vb::String KesraCheckNetUserBrower(vb::Variant& Request);

}  // namespace qe
