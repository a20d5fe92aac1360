#pragma once
// The one decision on an address that a page writes from input into an
// attribute or a script (a player's source, a picture, a link): only what
// cannot run there is written.
#include "common/markup_encode.h"
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

// The address as it goes into markup: judged as above (a refused one is "#"),
// then escaped for where it lands, so that none of its characters ends the
// value, the script string or the url() it stands in. An ordinary address
// (letters, digits and "/ . : ? = & % # - _ ~ +") comes out byte for byte.
// In an attribute value written in `quote` (the author's references stay):
vb::String PageAddressInAttribute(vb::StringView address, AttributeQuote quote);
vb::String PlayerAddressInAttribute(vb::StringView address, AttributeQuote quote);
// In a script string of a script element:
vb::String PageAddressInScript(vb::StringView address);
// In a script string of an event attribute written in `quote` (the script
// reads the address as given: no reference in it becomes a quote there):
vb::String PageAddressInAttributeScript(vb::StringView address, AttributeQuote quote);
// In an unquoted url() of a style attribute written in `quote`:
vb::String PageAddressInStyle(vb::StringView address, AttributeQuote quote);

}  // namespace qe
