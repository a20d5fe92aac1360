#pragma once
// Small page widgets: a form button with defaults, the rows of the login box
// and the whole login desktop, a pick list paired with a text box for search
// forms, the page that lists missing data files, and the page footer. What
// callers pass is written as given; the footer, the login desktop and the
// lost-file window (when it shows) close the page's Rs and Conn.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// Lists each "|"-joined name of p_FileList whose file "\data\" + name is
// missing; when one is, writes the lost-file page through Response, closes
// Rs and Conn, and ends the response. Writes nothing when all are there.
void KesraShowWindowLostFile(vb::Variant& Server, vb::Variant& Conn, vb::Variant& Rs, vb::Variant& Response,
                             vb::String p_FileList, vb::String p_Dwmc);

// Closes Rs and Conn, then returns the footer: the product name, a blank
// line when p_ShowLine is 1, and the short (p_ShowType 1) or long credits in
// a row 50 × p_ShowType high (6 past the 16-bit range).
vb::String KesraShowCopyRight(vb::Variant& Conn, vb::Variant& Rs, int16_t p_ShowType, int16_t& p_ShowLine);

// An input button; blank arguments take their defaults (a submit "save"
// captioned -=保存=-, class button_image), and a "cancel" button without a
// script closes the window.
vb::String KesraShowButton(vb::String p_ButtonType, vb::String p_ButtonName, vb::String p_ButtonID,
                           vb::String p_ButtonCaption, vb::String p_ButtonClass, vb::String p_ButtonScript);

// The login box's button row (login and exit), or the notice that login is
// not available.
vb::String KesraShowLoginButtons(bool p_ButtonEnable, vb::String p_InfoCaption);

// One input row of the login box: the caption and its input in one cell.
vb::String KesraShowLoginInput(vb::String p_InputCaption, vb::String p_InputName, vb::String p_InputType,
                               bool p_InputEnable, vb::String p_InputValue, vb::String p_InputPlaceHolder,
                               vb::String p_InputOther);

// The login page's body: a spacer, the title, the page's rows in the form
// myform (when p_ActionUrl is given), and the footer, which closes Rs and
// Conn. p_HeightChangeList: the three heights "|"-joined (blank: 30|158|42).
vb::String KesraShowLoginDesktop(vb::Variant& Conn, vb::Variant& Rs, vb::String p_HeightChangeList,
                                 vb::String p_Title, vb::String p_ActionUrl, vb::String p_Content,
                                 vb::String p_ManagerUrl);

// The list "selectname" + p_ID of the "|"-joined items, the request's choice
// selected (the first by default), and the text box "textname" + p_ID
// holding the request's text, each in its cell.
vb::String KesraShowSelectText(vb::Variant& Conn, vb::Variant& Rs, vb::Variant& Request, int16_t p_ID,
                               int16_t p_SelectWidth, int16_t p_TextWidth, vb::String p_SelectShowList);

}  // namespace qe
