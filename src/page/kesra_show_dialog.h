#pragma once
// The two in-page dialogs that show another page of the site in an iframe:
// the dialog frame (a modal `dialog` element opened by ShowPopDialog) and
// the div frame (divOpenDialog, divCloseDialog). Ids, titles and addresses
// are written as given.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// The dialog style blocks, the dialog script and the frame with the id
// `p_DialogID` ("Dialog" when blank); its body and iframe are H-25 px high
// (error 6 past 16 bits). With `p_Refresh` its close control also reloads
// the page.
vb::String KesraShowDialogFrame(int16_t p_PopWidth, int16_t p_PopHeight, bool p_Refresh, vb::String p_DialogID);
// ShowPopDialog, startDrag, handleMove, endDrag, updateTransform: one script
// element, also for pages that open their parent's dialog.
vb::String KesraShowDialogFrameScript();
// The div frame's style block, elements (ids from `p_DialogID` exactly as
// given) and script, in lines ending with CR LF.
vb::String KesraShowDialogDivFrame(int16_t p_PopWidth, int16_t p_PopHeight, bool p_Refresh, vb::String p_DialogID);

}  // namespace qe
