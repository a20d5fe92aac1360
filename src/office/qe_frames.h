#pragma once
// The office page frames, drawn with the site's frame images: the main frame
// (a whole page: head, title row, content row, bottom row, foot) and the
// 611-pixel sub-window frame, as pieces a page calls one by one and as the two
// assemblers that join them with the page's content. The pieces return text;
// the feet close the page's recordset and connection.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

vb::String QeShowMainSubTop();
// The single background cell when icon and title are both blank (trimmed),
// otherwise the icon, the title and the print link.
vb::String QeShowMainTitle(vb::String p_ImageUrl, vb::String p_Title, vb::String p_titleOther);
// The argument does not change the row.
vb::String QeShowMainLeft(vb::String p_ColspanNumber);
vb::String QeShowMainRight();
vb::String QeShowMainBottom();
vb::String QeShowMainSubBottom(vb::Variant& Rs, vb::Variant& Conn);

vb::String QeShowSubTitle(vb::String p_Title);
vb::String QeShowSubLeft();
vb::String QeShowSubRight();
vb::String QeShowSubBottom();

// The sub-window around p_Content, or (p_Simple) the content under an
// optional title; the objects of p_Rs and p_Conn are closed either way.
vb::String QeShowWindowMini(vb::String p_Title, vb::String p_Content, vb::Variant p_Rs, vb::Variant p_Conn,
                            bool p_Simple, bool p_IsShowTitle);
// The whole page: the pager above p_Content2 (p_ShowPageNumber 1 or 3) and
// below it (2 or 3); p_Content4 and p_Content5 right after p_Content3; with
// p_ShowRead, the div dialog "divDialogUserList" after the page's table.
vb::String QeShowWindowMain(vb::Variant& Request, vb::Variant& Rs, vb::Variant& Conn, vb::String p_ImageUrl,
                            vb::String p_Title, vb::String p_titleOther, int16_t p_LeftColSpan, vb::String p_Content1,
                            vb::String p_Content2, vb::String p_Content3, vb::String p_Content4, vb::String p_Content5,
                            int16_t p_ShowPageNumber, bool p_ShowRead, bool p_IsSimple, bool p_IsRefresh);

}  // namespace qe
