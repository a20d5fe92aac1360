#pragma once
// The office list and form widgets: the department select, the search button
// and bar, the toolbar button shown to those with the right, the article
// form's recipients and date fields, its save and preview row, the posted
// body made relative, and the form footer. Values read from the department
// table or the record into attributes are encoded; what callers pass is
// written as given.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// The select "Part" of the departments, the one named exactly p_PartName
// (trimmed) selected.
vb::String QeShowPartSelect(vb::Variant& Conn, vb::String p_PartName);
vb::String QeShowSearchButton();
// Empty unless p_UserAllow is exactly "anyone" or the user has that right (a
// right that reads the user ends the page when nobody is logged in). Width or
// height not 0: the link opens the dialog p_DialogID ("Dialog" when blank).
vb::String QeShowAnyBar(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs, vb::String p_Url,
                        vb::String p_UserAllow, vb::String p_BarType, int16_t p_PopWidth, int16_t p_PopHeight,
                        vb::String p_DialogTitle, vb::String p_Icon, int16_t p_CloseDialogByOverly,
                        vb::String p_DialogID);
// The search form "sele": the department select unless p_Part is "Null",
// the column select unless p_SelectList is blank, the button when either.
vb::String QeShowSearchBar(vb::Variant& Conn, vb::Variant& Request, vb::String p_Part, int16_t p_SelectType,
                           vb::String p_SelectList, vb::String p_OtherBefore, vb::String p_OtherAfter);
// The read-only recipients field that opens the user picker in the page's div
// dialog "divDialogUserList"; editing, it holds the record's recipients.
vb::String QeShowArticleUser(vb::Variant& Rs, bool p_QeCheckEdit, vb::String p_ID, vb::String p_TableName,
                             vb::String p_FieldName, bool p_ShowAll, int16_t p_PopWidth, int16_t p_PopHeight,
                             int16_t p_DialogCloseByOverly, int16_t p_InputWidth);
// The date field: the record's date when editing, today when adding.
vb::String QeShowArticleDate(vb::Variant& Rs, bool p_QeCheckEdit, vb::String p_FieldName);
// Save, preview and back buttons; closes the page's form.
vb::String QeShowArticleSavePreview(int16_t p_ColSpan, vb::String p_TableName, int16_t p_CloseDialogByOverly,
                                    vb::String p_EditorTemplate);
// The posted body "Content", trimmed, with the referring page's folder (in
// lower case) removed from its links.
vb::String QeArticleBodyRelative(vb::Variant& Request);
// The posted body made relative, with its remote pictures saved under
// "/Data_UpLoadFiles/<table>/" and relinked to the saved copies.
vb::String QeShowArticleContentString(vb::Variant& Request, vb::Variant& Server, vb::String p_TableName);
// The form footer's row. A blank p_DialogID becomes "Dialog" (the caller's
// variable too). Its close button closes the dialog that holds the page and
// reloads the parent, or closes the window for the dialog id "NULL".
vb::String QeShowSaveResetClose(vb::Variant& Request, vb::Variant& Conn, vb::Variant& Rs, int16_t& p_ColSpan,
                                bool& p_CloseData, int16_t& p_RequestID, vb::String& p_DialogID,
                                vb::String& p_ButtonNameList);

}  // namespace qe
