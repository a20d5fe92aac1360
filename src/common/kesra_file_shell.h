#pragma once
// Opening a file, folder or fixed address with its program on the server, and
// testing whether an address can be opened over the network.
#include "platform/vb/variant.h"

namespace qe {

// Types (trimmed, any case): "WWW" the home page, "EMAIL" a feedback mail,
// "FILE" the target in the component's folder or else as given, "FOLDER" the
// target folder ("EXPLORE" when the flag is 1). A missing file or folder
// sends the message to the system log (the unattended message box); other
// types do nothing. On a server without a desktop the opening is recorded,
// not shown.
void KesraShellOpen(vb::String p_Type, vb::String p_Target, uint8_t& p_Flag, vb::String p_Other);

// True when a server answered a GET for the address (any status: a page that
// answers 404 or 500 was reached); false on every failure, time-outs included.
bool KesraOpenUrl(vb::String p_Url);

}  // namespace qe
