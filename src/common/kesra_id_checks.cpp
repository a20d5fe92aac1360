#include "common/kesra_id_checks.h"

#include <string>

#include "common/kesra_error_page.h"
#include "common/kesra_value_checks.h"
#include "platform/asp/context.h"
#include "platform/vb/convert.h"
#include "platform/vb/numbers.h"

namespace qe {

int16_t KesraCheckIsID(vb::Variant& Response, vb::String p_String, bool p_CloseParent, vb::String p_DialogID) {
  if (KesraCheckIsNumeric(p_String)) return vb::CInt(vb::Variant(vb::Int(vb::Val(p_String))));
  KesraShowErrorPageWithoutData(Response, u"无效ID。", p_CloseParent, p_DialogID);
  return 0;
}

int32_t CheckIsLongID(vb::Variant& Response, vb::String p_String, bool p_CloseParent, vb::String p_DialogID) {
  if (KesraCheckIsNumeric(p_String)) return vb::CLng(vb::Variant(vb::Int(vb::Val(p_String))));
  KesraShowErrorPageWithoutData(Response, u"无效ID。", p_CloseParent, p_DialogID);
  return 0;
}

int16_t KesraCheckIsRange(vb::Variant& Response, vb::String p_String, int16_t p_Min, int16_t p_Max,
                          bool p_CloseParent, vb::String p_DialogID) {
  int16_t id = KesraCheckIsID(Response, p_String, false, u"");
  if (asp::ResponseEnded(Response)) return id;
  if (id < p_Min || id > p_Max) {
    vb::String range = vb::FromUtf8(std::to_string(p_Min) + "--" + std::to_string(p_Max));
    KesraShowErrorPageWithoutData(Response, u"范围无效。允许范围为" + range, p_CloseParent, p_DialogID);
  }
  return id;
}

}  // namespace qe
