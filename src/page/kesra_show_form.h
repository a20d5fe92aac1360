#pragma once
// Small fragments that many pages share: the window-like frame of
// stand-alone pages, the login and about boxes, a folder or file picker,
// spacer lines, the row of an empty list, runs of blanks, a full-page message
// box, a storage-usage table, and the response settings that stop caching.
// What callers pass is written as given.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// A frame of p_Width by p_Height pixels around p_Content, its title bar
// showing the system name, its close image closing the window (p_IsClose)
// or leading to the welcome page. The three objects are not read.
vb::String KesraShowForm(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, int16_t p_Width,
                         int16_t p_Height, vb::String p_Content, bool p_IsClose);

// The 308 by 400 login frame: the version, the logo and system name (or the
// heading image p_ShowTitle), the credits box when p_ShowCredits, and
// p_Content. The objects are only passed on.
vb::String KesraShowLogin(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::String p_Content,
                          bool p_ShowCredits, vb::String p_ShowTitle);

// The login frame without credits box around a fixed body: credits, support
// lines, and the computer and account the operator named for this box
// (nothing when none were named). p_Content is not shown.
vb::String KesraShowAbout(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::String p_Content,
                          vb::String p_ShowTitle);

// The sub-folders (p_SearchType 1) or files of a folder (a site path is
// mapped through Server; a path with ":" is used as it is) as links that call
// the page's SelectPathFile with the name, under a heading of the path
// without its dots and slashes.
vb::String KesraShowFormFileSelect(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                                   vb::String p_SearchPath, int16_t p_SearchType);

vb::String KesraShowColorLine(int16_t p_Width, int16_t p_Height, vb::String p_Color);
// A full-width spacer of p_Height pixels, coloured when p_BgColor is given.
vb::String KesraShowEmptyLine(int16_t p_Height, vb::String p_BgColor);
// The row of an empty list: p_NoRecordMessage in red across the columns.
vb::String KesraShowNoRecord(vb::Variant& p_ColspanNumber, bool p_IsExcel, vb::Variant p_NoRecordMessage);
// "&nbsp;" p_SpaceNumber times (none for 0 or less).
vb::String KesraShowSpace(int16_t p_SpaceNumber);
// A full-page box with a title strip, p_Content and the caller's link p_Url.
vb::String KesraShowMessage(vb::String p_Title, vb::String p_Content, vb::String p_Url);

// The storage table: total, used and remaining sizes with bars scaled so that
// the quota is 80% wide. A missing used size becomes 0 in the caller's
// variable; a quota of 0 or less draws a full used bar without dividing;
// sizes that are no numbers raise 13.
vb::String KesraShowBar(vb::Variant& p_SizeMax, vb::Variant& p_SizeCurrent);

// Expires -1, ExpiresAbsolute a day ago, Cache-Control "no-cache".
void KesraClearCache(vb::Variant& Response);

}  // namespace qe
