#pragma once
// The sticker and smiley pickers of the UBB editor, and the start of its
// editor block.
#include <cstdint>

#include "platform/vb/string.h"

namespace qe {

// The sticker dialog's page for set p_Sn (1 to 5, with 20, 30, 19, 12 and 40
// pictures; any other set has none): a click on a picture appends its
// sticker tag to the field "Content" of the page holding the dialog.
vb::String KesraShowQpicEdit(int16_t p_Sn);

// Radio buttons "pic" with the 42 faces in three rows of fourteen; face
// p_SelectSn checked (face 1 for 0 or less, none above 42).
vb::String KesraShowFaceEdit(int16_t p_SelectSn);

// What the editor block writes before its Content field: the editor script,
// the toolbar page and, with p_ShowQpic 1, the links that open the sticker
// sets in the dialog divDialogUbb of that size.
vb::String UbbEditBlockHead(int16_t p_ShowQpic, int16_t p_PopWidth, int16_t p_PopHeight);

}  // namespace qe
