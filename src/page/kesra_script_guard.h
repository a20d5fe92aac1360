#pragma once
// Fixed client scripts that control how a page is shown: full screen, frame
// guards, picture fitting and zooming, and the blocks on the context menu,
// right clicks and a few keys.
#include "platform/vb/variant.h"

namespace qe {

// launchFullScreen, exitFullscreen, isFullScreen, toggleFullScreen.
vb::String KesraScriptH5FullScreen();
// Sends the top window to this page when it belongs to another host.
vb::String KesraScriptNoInFrame();
// Sends the top window to this page whenever the page is in a frame.
vb::String KesraScriptNoInTop();
// Three script elements: DownImage and cgimg; kesra_showpic; the resizing
// functions dheight, xheight, dwidth, xwidth and photohy with their globals.
vb::String KesraScriptImage();
// Three script elements (blocking handlers, cform, killErrors), or "" for a
// spreadsheet-export request (query value excel "yes" in any case, blanks
// around it allowed).
vb::String KesraScriptMouse(vb::Variant& Request);

}  // namespace qe
