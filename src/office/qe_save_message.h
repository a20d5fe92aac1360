#pragma once
// The two endings of an office page's work: the message after an
// article-like record was saved (its rows and the links to edit it again, add
// another, go back to the list or preview it), and the logout.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// Closes the page's data, clears UserInfo, abandons the session and sends
// the browser to the login page (with "?id=" + p_ID unless p_ID is blank).
vb::String QeShowWindowLogin(vb::Variant& Response, vb::Variant& Session, vb::Variant& p_Rs, vb::Variant& p_Conn,
                             vb::String p_ID, uint8_t p_IsClose);
// p_Other: extra rows, "label|value" items joined by "$". The title, author
// and department rows and the preview link come with p_ShowType 1; the
// author and department read the user (nobody logged in: the error page).
vb::String QeShowSaveMessage(vb::Variant& Session, vb::Variant& Response, vb::Variant& Conn, vb::Variant& Rs,
                             int16_t p_AddOrEdit, int16_t p_ClassID, int16_t p_ID, vb::String p_Title,
                             vb::String p_AspFile, int16_t p_ShowType, vb::String p_Other,
                             int16_t p_CloseDialogByOverly);

}  // namespace qe
