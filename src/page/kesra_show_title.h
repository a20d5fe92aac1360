#pragma once
// The links of a record list's row: the record's title, and the edit and
// delete icons for users who may change it. Each reads the current row of
// the page's recordset and returns HTML; nothing is written to the response.
//
// Addresses: the record's key goes after "?" or, when the address already
// holds one, after "&". A p_ID of "null" (any case) appends no key; a blank
// one means the column "Id". An edit or delete address that ends in "#" is
// used as it stands without the "#", with nothing appended.
//
// A pop-up size (width or height not 0) opens the page through the dialog
// frame's ShowPopDialog, which the page carries; otherwise the link opens it
// in the same window.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// The title (p_Title, else the row's "title" column) cut to p_WordNumber
// display columns, with the whole title as tooltip. A blank p_DialogID means
// "Dialog".
vb::String KesraShowTitle(vb::Variant& Rs, vb::String p_Url, int16_t p_WordNumber, int16_t p_PopWidth,
                          int16_t p_PopHeight, vb::String p_Title, vb::String p_DialogTitle,
                          int16_t p_CloseDialogByOverly, vb::String p_DialogID, vb::String p_ID);

// The edit link, or "" when p_Allowed is false. The address gets the class,
// the key and "action=modify" (unless it names an action already). Its text
// is p_Title (HTML) or the edit icon. Response and Session are not read.
vb::String KesraShowEdit(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs, vb::String p_Url,
                         int16_t p_ClassID, bool p_Allowed, int16_t p_PopWidth, int16_t p_PopHeight,
                         vb::String p_Title, vb::String p_DialogTitle, int16_t p_CloseDialogByOverly,
                         vb::String p_DialogID, vb::String p_ID);

// The delete link, or "" when p_Allowed is false: it asks before it leads to
// the address with the class and the key. Its text is the delete icon when
// p_Title equals "", else p_Title. Response and Session are not read.
vb::String KesraShowDel(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs, vb::String p_Url,
                        int16_t p_ClassID, bool p_Allowed, vb::Variant p_Title, vb::String p_ID);

}  // namespace qe
