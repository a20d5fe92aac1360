#pragma once
// The office look of the in-page dialogs: the modal `dialog` frame and the
// div dialog drawn with the sub-window images (../comm/image/div/div_1 to
// div_9). Same client functions, arguments and element ids as the plain
// look; the client logic is the page output's (page/dialog_scripts.h).
//
// Sizes are written as computed: a width below 16 gives a negative number,
// which the browser ignores.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// The dialog style block, the ShowPopDialog script and the frame with the id
// `p_DialogID` ("Dialog" when blank).
vb::String QeShowDialogFrame(int16_t p_PopWidth, int16_t p_PopHeight, bool p_Refresh, vb::String p_DialogID);
// ShowPopDialog: the dialog is 2 px wider and 60 px higher than asked, its
// iframe 16 px narrower and exactly as high.
vb::String QeShowDialogFrameScript();
// The div dialog (id as given) with its style block and its script:
// divOpenDialog makes the dialog 30 px higher than asked, the iframe 18 px
// narrower and 22 px lower.
vb::Variant QeShowDialogDivFrame(vb::Variant p_PopWidth, vb::Variant p_PopHeight, vb::Variant p_Refresh,
                                 vb::Variant p_DialogID);

}  // namespace qe
