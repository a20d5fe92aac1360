#include "page/kesra_show_tr.h"

#include "page/kesra_show_td.h"

namespace qe {

vb::String KesraShowTr(vb::Variant& Conn, vb::Variant& Rs, vb::String p_TrClass, int16_t p_Type, int32_t p_Width,
                       int32_t p_Height, int16_t p_ColSpan, vb::String p_Title, vb::String p_Name,
                       vb::String p_Field, int16_t p_Pop_Allow, vb::String p_Pop_Field, int16_t p_State,
                       int16_t p_Allow_Edit, vb::String p_Star, vb::String p_Title_Bgcolor,
                       vb::String p_Value_Bgcolor, vb::String p_TdTitle, int16_t p_DivHeight,
                       vb::String p_EditorTemplate, int16_t p_AllowEmpty) {
  vb::String out = p_TrClass.empty() ? vb::String(u"<tr class=tdbg align=center>") : u"<tr " + p_TrClass + u">";
  out += KesraShowTd(Conn, Rs, p_Type, p_Width, p_Height, p_ColSpan, std::move(p_Title), std::move(p_Name),
                     std::move(p_Field), p_Pop_Allow, std::move(p_Pop_Field), p_State, p_Allow_Edit,
                     std::move(p_Star), std::move(p_Title_Bgcolor), std::move(p_Value_Bgcolor), std::move(p_TdTitle),
                     p_DivHeight, std::move(p_EditorTemplate), p_AllowEmpty);
  return out + u"</tr>";
}

vb::String KesraShowGridTr(int16_t p_CurrentRow, vb::String p_Style, vb::String p_BgColor1, vb::String p_BgColor2,
                           vb::String p_BgColor3, vb::String p_Align) {
  const vb::String& color = (p_CurrentRow & 1) != 0 ? p_BgColor1 : p_BgColor2;
  return u"<tr align=" + p_Align + u" " + p_Style + u" bgcolor='" + color +
         u"' onmouseover=\"this.style.backgroundColor='" + p_BgColor3 +
         u"'\"  onmouseout=\"this.style.backgroundColor='" + color + u"'\">";
}

}  // namespace qe
