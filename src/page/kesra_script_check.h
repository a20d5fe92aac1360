#pragma once
// Client scripts that check forms in the browser before they are posted: the
// checkform() builder, the value tests and the identity-card checks.
#include "platform/vb/variant.h"

namespace qe {

// checkform() for the form "myform" from rules joined by "$", each
// "field|message if empty|greatest length or second field|message". Names
// and messages are written as given; a rule without a field name is passed
// over (it would name no field and break the script).
vb::String KesraScriptCheckForm(vb::String p_CheckList);
// The KesraRegCheck... value tests; the e-mail test is the server's.
vb::String KesraScriptCheck();
// CheckIdCardRange, isIdCardNo, create_postcard, checkDate.
vb::String KesraScriptCheckPostCard();

}  // namespace qe
