#pragma once
// What list and form pages put above and about their content: page headers
// with export, print and logout icons, title bars with close and print
// icons, labelled and coloured boxes, a double-bordered table frame, the
// header row of a list table and its width row, a floating menu window and a
// hidden input. Each returns HTML; what callers pass is written as given.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// The current page header: the unit and system name, the page's own links,
// the export icon (p_ExcelAllow 1; the page supplies openwindow_resizable),
// the print icon (p_PrintAllow 1), the logout link, and the page title.
vb::String KesraShowTitleTop(vb::String p_Dwmc, vb::String p_Title, vb::String p_ExcelUrl, int16_t p_ExcelAllow,
                             int16_t p_PrintAllow, vb::String p_Width, vb::String p_OtherUrl);
// The older page header, with the organisation name and the icons of
// "../kesra/image/".
vb::String KesraShowHeader(vb::String p_TitleName, vb::String p_ExcelUrl, int16_t p_ExcelAllow, int16_t p_PrintAllow,
                           int16_t p_TableWidth, vb::String p_OtherUrl);

// The current title bar: p_TitleAdd holding "closeDialog" closes the open
// dialog of the parent page, else "close" the window; "print" prints.
vb::String KesraShowTitleHeader(vb::String p_Title, vb::String p_TitleAdd, vb::String p_titleOther);
// The older title bar: "close" (or "closeDialog") closes the window.
vb::String KesraShowHeader2(vb::String p_Title, vb::String p_TitleAdd, vb::String p_titleOther);

// A framed line: "【p_Content】" when given, then p_Title. The two are one.
vb::String KesraShowTitleSingle(vb::String p_Width, vb::String p_Title, vb::String p_Content);
vb::String KesraShowHeader1(vb::String p_Width, vb::String p_Title, vb::String p_Content);

vb::String KesraShowBox(vb::String p_Title, vb::String p_Content, vb::String p_TitleBackColor,
                        vb::String p_TitleForeColor, vb::String p_ContentBackColor, vb::String p_ContentForeColor,
                        vb::String p_TitleAlign, vb::String p_BottomImage);

// Opens the frame's tables (the page closes them): the outer one only when
// p_IsDouble, its cell coloured p_BgColor as given.
vb::String KesraShowTableDouble(vb::String p_TableWidth, vb::String p_BgColor, vb::String p_BorderColor,
                                bool p_IsDouble, bool p_IsTableFix);

// A header row from "$"-joined items caption|width|colspan|rowspan|background
// (caption and width required: an item of a caption alone raises 9). Width
// "*" or a leading number of at least 2, and spans above 1, are written; a
// background of two characters or more is written, "excel" as #b5f9de. An
// empty list gives "".
vb::String KesraShowTableHeader(vb::String p_TableHeaderList, int16_t p_Height, vb::String p_Class);
// A zero-height row of cells of the "|"-joined widths.
vb::String KesraShowTableHeaderEmpty(vb::String p_TableHeaderList);

// The floating window "floater" holding p_Content under a draggable title,
// with the list menu and drag scripts it needs.
vb::String KesraShowMenuMoveContent(int16_t p_Width, int16_t p_TitleHeight, vb::String p_Title, uint8_t p_Scroll1,
                                    uint8_t p_Scroll2, vb::String p_Content, vb::String p_Visible, bool p_CanMove,
                                    bool p_CanExpand);

// A hidden input whose name is its id too.
vb::String KesraShowHiddenInput(vb::String p_InputName, vb::String p_InputValue);

}  // namespace qe
