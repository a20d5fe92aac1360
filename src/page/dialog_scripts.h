#pragma once
// The client side of the in-page dialogs, written once for both looks (the
// plain look of the page output and the image-framed office look): opening,
// closing, dragging, the backdrop or overlay click and the listeners. Each
// look adds only the elements it looks up and the sizes it sets.
//
// Listeners are added once per element and window however often a dialog
// opens; the latest opening decides whether a backdrop or overlay click
// closes; closing a div dialog gives the body back its own overflow.
#include <vector>

#include "platform/vb/string.h"

namespace qe {

struct DialogFrameLook {
  vb::StringView open_tag;  // the script element's opening tag
  vb::StringView globals;   // the declaration of the look's element globals
  // Statements that set the look's globals from `doc` and `p_DialogID`; they
  // set at least dialog, dialogTitle, dialogFrame and dialogFrameOverlay.
  vb::StringView lookups;
  vb::StringView handle;  // the global of the element the dialog is dragged by
  vb::StringView sizes;   // the size statements, in the look's order
};
// ShowPopDialog, startDrag, handleMove, endDrag, updateTransform: the lines
// of one script element. An id that names an element other than a `dialog`
// is opened with divOpenDialog (same arguments) when the page has it.
std::vector<vb::String> DialogFrameScriptLines(const DialogFrameLook& look);

struct DivDialogLook {
  vb::StringView globals;      // further globals the look assigns, or ""
  vb::StringView lookups;      // statements that look up the look's further elements
  vb::StringView sizes;        // the sizes set before the dialog shows
  vb::StringView sizes_shown;  // the sizes set once it is shown and centred, or ""
};
// divOpenDialog and divCloseDialog: the lines of one script element.
std::vector<vb::String> DivDialogScriptLines(const DivDialogLook& look);

}  // namespace qe
