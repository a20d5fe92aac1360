#pragma once
// One field of an edit or display form as table cells: a title cell with the
// label and a value cell with the control for the field's type (text, date,
// list, check box, groups, text area, password, file choosers, rich-text
// editor, HTML5 inputs), or in read-only display the stored value as text.
// Returns the HTML; writes nothing.
//
// The stored value is Rs(p_Field), or the literal when p_Field holds "$" (the
// text without its "$" marks). Literals, captions and read-only text are
// written as given; a value from the record written into an attribute or a
// text area is encoded, so that the browser shows, and posts back, exactly
// the stored text. Option lists come from the dictionary (Sjzd), the
// departments (BuMen, Part) or a "$"-joined literal list. Rs is only read.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// p_State: 2 edit the current record, 3 show it, else a new record;
// p_Allow_Edit 0: read-only. p_Title "null" drops the title cell, "allnull"
// both cells' tags. p_DivHeight above 0 boxes the value, 0 puts "&nbsp;"
// before it. p_AllowEmpty 0 marks the control required.
vb::String KesraShowTd(vb::Variant& Conn, vb::Variant& Rs, int16_t p_Type, int32_t p_Width, int32_t p_Height,
                       int16_t p_ColSpan, vb::String p_Title, vb::String p_Name, vb::String p_Field,
                       int16_t p_Pop_Allow, vb::String p_Pop_Field, int16_t p_State, int16_t p_Allow_Edit,
                       vb::String p_Star, vb::String p_Title_Bgcolor, vb::String p_Value_Bgcolor,
                       vb::String p_TdTitle, int16_t p_DivHeight, vb::String p_EditorTemplate,
                       int16_t p_AllowEmpty);

}  // namespace qe
