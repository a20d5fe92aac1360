#pragma once
// Scripts that end a pop-up or dialog page: reload the page that opened it
// and, when asked, close the window.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

vb::String KesraOpenerRefresh();
// Only p_IsClose 1 closes the window.
vb::String KesraOpenerEditRefresh(vb::String p_ShowTitle, uint8_t p_IsClose);
// For pages shown in a dialog frame of the parent page; a blank p_DialogID
// names the frame "Dialog". p_DialogFrameID is taken and not written.
vb::String KesraDialogOpenerEditRefresh(vb::String p_ShowTitle, uint8_t p_IsClose, vb::String p_DialogID,
                                        vb::String p_DialogFrameID);

}  // namespace qe
