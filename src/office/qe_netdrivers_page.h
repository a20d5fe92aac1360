#pragma once
// The drive page's part: the paste of the clipboard into the folder shown,
// and the client script whose functions the page's links and buttons call.
#include "platform/vb/variant.h"

namespace qe {

// With p_Act "paste", copies or moves the clipboard's entries into the
// current folder first (never overwriting, never from outside the user's own
// drive, a copy only while the drive stays within its quota); then returns
// the script block.
vb::String QeNetDriversSave(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response, vb::Variant& Request,
                            vb::String p_CurrentFolder, vb::String p_Act);

}  // namespace qe
