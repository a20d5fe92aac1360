#pragma once
// Client-script libraries that pages write once so that links, buttons and
// form fields can call them: window openers, the pick-list pop-up, the pop-up
// layer, key navigation, the list menu and its floating window, the tooltip,
// the submenu, automatic scrolling and the back-to-top marker. Function
// names, arguments and element ids are fixed: other fragments call them.
#include "platform/vb/variant.h"

namespace qe {

// OpenWindowModalScroll, OpenWindowModalNoScroll, OpenWindowFullScreen,
// OpenWindowCenterScreen, OpenWindowQQNoScroll, OpenWindowQQScroll,
// OpenWindowResize, OpenWindow1, OpenWindow.
vb::String KesraScriptOpenWindow();
// PopSelectData(obj, selectname).
vb::String KesraScriptPopSelect();
// The page's Popup class, then pop, ShowIframe, ShowHtmlString, ShowConfirm,
// ShowAlert, ShowCallBack, ClosePop.
vb::String KesraScriptPopWindow();
// onKeyDownDefault(thisInput), IsDigit(), IsDigitAndSign().
vb::String KesraScriptOnKeyDownDefault();
// scores, numTotal, initIt(), expandIt(el); initIt runs when the page loads.
vb::String KesraScriptListMenu();
// moveIt(): makes the element "floater" draggable.
vb::String KesraScriptListMenuMove();
// closeLoginForm(), showLoginForm() and the load handler that starts the
// list menu and the drag as the flags ask (an empty handler for neither).
vb::String KesraScriptFloaterToggle(bool p_CanMove, bool p_CanExpand);
// The tooltip box "dek" and popwish(wish), get_mouse(e), kill().
vb::String KesraScriptShowToolTipText();
// ShowMenu(vMnuCode, tWidth); the page supplies HideMenu().
vb::String KesraScriptShowMenu();
// Double-click scrolls the page down until its end; any mouse-down stops it.
vb::String KesraScriptScrollWindow();
// Writes the back-to-top marker at `p_Left` px and keeps it in view.
vb::String KesraScriptScrollWindowFollow(vb::Variant& p_Left);
// The hint that explains the two scripts above, in colour `p_FontColor`.
vb::String KesraShowScrollWindowTitle(vb::String p_FontColor);

}  // namespace qe
