#pragma once
// Pieces of client script that several of the page scripts carry, each a
// complete text of its own so that every script still stands alone.
#include "platform/vb/string.h"

namespace qe {

// Defines KesraEventOf(f): the event of the inline handler that called `f`
// (its first argument), else window.event, else null. Pages call the handler
// functions without passing the event, as older browsers required.
inline constexpr vb::StringView kScriptEventOf =
    u"function KesraEventOf(f){"
    u"var e=null;"
    u"try{var c=f.caller;if(c&&c.arguments&&c.arguments.length){e=c.arguments[0];}}catch(x){e=null;}"
    u"if(!e||typeof e!='object'||!('type' in e)){e=window.event;}"
    u"return e||null;"
    u"}";

// The page's vertical scroll position, in standards and in quirks mode.
inline constexpr vb::StringView kScriptScrollTop =
    u"(window.pageYOffset||document.documentElement.scrollTop||document.body.scrollTop||0)";
// The same for the horizontal scroll position.
inline constexpr vb::StringView kScriptScrollLeft =
    u"(window.pageXOffset||document.documentElement.scrollLeft||document.body.scrollLeft||0)";

}  // namespace qe
