#include "common/kesra_request_modes.h"

#include "common/request_values.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/information.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

// Null, missing and empty all count as "not given".
bool IsGiven(const vb::Variant& value) {
  return !value.IsNull() && !value.IsEmpty() && !vb::CStr(value).empty();
}

}  // namespace

bool KesraCheckEdit(vb::Variant& Request, bool p_MustNumber) {
  vb::Variant id = RequestValue(Request, u"ID");
  if (!IsGiven(id)) return false;
  return !p_MustNumber || vb::IsNumeric(id);
}

bool KesraCheckRead(vb::Variant& Request) { return !IsGiven(RequestValue(Request, u"action")); }

int16_t KesraCheckState(vb::String p_Moden, vb::Variant p_ID) {
  vb::Variant id = com::ValueOf(p_ID);
  if (id.IsNull() || id.IsEmpty() || vb::Trim(vb::CStr(id)).empty()) return 1;
  vb::String mode = vb::LCase(vb::Trim(p_Moden));
  return mode == u"edit" || mode == u"modify" ? 2 : 3;
}

}  // namespace qe
