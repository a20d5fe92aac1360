// The string members that do more than forward.
#include "common/kesra_string.h"
#include "common/kesra_string_width.h"
#include "platform/com/object.h"
#include "facade/qecls.h"

namespace qe {

vb::String QeCls::CommHasChinese(vb::String p_String) { return KesraHasChinese(p_String) ? u"True" : u"False"; }

// The page's values converted first, as the interface's String and Integers.
vb::String QeCls::CommGetString(vb::Variant& p_String, vb::Variant& p_StringStart, vb::Variant& p_StringLength) {
  const vb::String text = vb::CStr(com::ValueOf(p_String));
  const int16_t start = vb::CInt(com::ValueOf(p_StringStart));
  const int16_t length = vb::CInt(com::ValueOf(p_StringLength));
  return KesraGetString(text, start, length);
}

}  // namespace qe
