#pragma once
// The error page that refuses a request, the success script that ends a
// successful form, and the window-closing fragments.
#include "platform/vb/variant.h"

namespace qe {

vb::String KesraCloseWindowNoMessagebox();
vb::String KesraCloseTopWindowNoMessagebox();
vb::String KesraCloseWindowCurrent();
vb::String KesraCloseWindowModal(bool p_IsRefresh);

// Writes the error page to Response, closes and releases Rs and Conn, and
// ends the response. The caller returns at once afterwards.
void KesraShowErrorPage(vb::Variant& Response, vb::Variant& Rs, vb::Variant& Conn, vb::String p_ErrorMessage,
                        bool p_CloseParent, vb::String p_DialogID);
// The error page for a check that holds no recordset or connection: empty
// texts stand in for Rs and Conn.
void KesraShowErrorPageWithoutData(vb::Variant& Response, const vb::String& p_ErrorMessage, bool p_CloseParent,
                                   const vb::String& p_DialogID);

vb::String KesraShowSuccess(vb::String p_SuccessMessage, vb::String p_Url);

}  // namespace qe
