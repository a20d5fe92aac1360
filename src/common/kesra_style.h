#pragma once
#include "platform/vb/string.h"

namespace qe {

// The rollover-image client functions: KesraSwapImgRestore, KesraPreloadImages,
// KesraFindObject, KesraSwapImage.
vb::String KesraScriptSwapImage();
// Style of the pop-up close button (class "popup-close").
vb::String KesraStylePopupClose();
// Style of the dialog frames ("dialog" and its header, title, body, overlay, close button).
vb::String KesraStyleDialog();

}  // namespace qe
