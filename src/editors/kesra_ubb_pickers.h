#pragma once
// The UBB editor block a form writes for its body field, and the sticker and
// smiley pickers that go with it.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// The editor script, the toolbar page and, with p_ShowQpic 1, links that open
// the five sticker sets in the dialog divDialogUbb (p_PopWidth by
// p_PopHeight); then the field "Content" as a 21-row text area 760 pixels
// wide, filled from Rs("Content") when p_State is 2 or 3, read-only when
// p_State is 3 or p_Allow_Edit 0. Errors reading Rs reach the caller.
vb::String KesraShowUbbEditContent(vb::Variant& Conn, vb::Variant& Rs, int16_t p_ShowQpic, int16_t p_State,
                                   int16_t p_Allow_Edit, int16_t p_PopWidth, int16_t p_PopHeight);

// The sticker dialog's page for set p_Sn (1 to 5, with 20, 30, 19, 12 and 40
// pictures; any other set has none): a click on a picture appends its
// sticker tag to the field "Content" of the page holding the dialog.
vb::String KesraShowQpicEdit(int16_t p_Sn);

// Radio buttons "pic" with the 42 faces in three rows of fourteen; face
// p_SelectSn checked (face 1 for 0 or less, none above 42).
vb::String KesraShowFaceEdit(int16_t p_SelectSn);

}  // namespace qe
