#pragma once
// The one decision on an address that a page writes from input into an
// attribute or a script (a player's source, a picture, a link): only what
// cannot run there is written.
#include "platform/vb/string.h"

namespace qe {

// True for an "http:" or "https:" address and for an address with no scheme
// (a site path, absolute or relative). Any other scheme is refused, however
// it is hidden: any case, blanks or control characters inside or around it,
// character references or percent-encoding, nested.
bool IsPageAddress(vb::StringView address);

// The address when IsPageAddress allows it, else "#", which goes nowhere.
vb::String PageAddressOrInert(vb::StringView address);

// The same decision for the source of a media player: the stream schemes the
// players play (rtsp, mms, rtmp) pass too.
bool IsPlayerAddress(vb::StringView address);
vb::String PlayerAddressOrInert(vb::StringView address);

}  // namespace qe
