#pragma once
// Table rows of pages: one form field in a row, and the opening tag of a list
// row with alternating colours and a hover colour. Both return HTML.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// "<tr " + p_TrClass + ">" (or the default row class), the cells of
// KesraShowTd with the other arguments, "</tr>".
vb::String KesraShowTr(vb::Variant& Conn, vb::Variant& Rs, vb::String p_TrClass, int16_t p_Type, int32_t p_Width,
                       int32_t p_Height, int16_t p_ColSpan, vb::String p_Title, vb::String p_Name,
                       vb::String p_Field, int16_t p_Pop_Allow, vb::String p_Pop_Field, int16_t p_State,
                       int16_t p_Allow_Edit, vb::String p_Star, vb::String p_Title_Bgcolor,
                       vb::String p_Value_Bgcolor, vb::String p_TdTitle, int16_t p_DivHeight,
                       vb::String p_EditorTemplate, int16_t p_AllowEmpty);

// The opening tag of list row p_CurrentRow: p_BgColor1 for odd rows (-1
// too), p_BgColor2 for even ones, p_BgColor3 under the pointer. The page
// writes the cells and "</tr>".
vb::String KesraShowGridTr(int16_t p_CurrentRow, vb::String p_Style, vb::String p_BgColor1, vb::String p_BgColor2,
                           vb::String p_BgColor3, vb::String p_Align);

}  // namespace qe
