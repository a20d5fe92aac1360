#pragma once
// The drive's text editor: shows one text file of the user's drive in a text
// area, or saves the posted text over it.
#include "platform/vb/variant.h"

namespace qe {

// p_Act "EditFile" saves Request.Form("fcontent") (and returns the script
// that reports it, reloads the drive page and closes the window); any other
// shows the editor. Only files inside the user's drive are read or written;
// a file whose bytes the text area would not give back unchanged is not
// offered for editing.
vb::String QeNetDriversFileEdit(vb::Variant& Server, vb::Variant& Session, vb::Variant& Response,
                                vb::Variant& Request, vb::String p_CurrentFile, vb::String p_Act);

}  // namespace qe
