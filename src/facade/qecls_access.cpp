// The maintenance member whose result the façade converts.
#include "maintenance/kesra_class_access.h"
#include "platform/vb/convert.h"
#include "facade/qecls.h"

namespace qe {

bool QeCls::CommAccessCompare(vb::String p_FileFullName1, vb::String p_FileFullName2, uint8_t p_CompareMode) {
  return vb::CBool(m_Access->KesraAccessCompare(std::move(p_FileFullName1), std::move(p_FileFullName2), p_CompareMode));
}

}  // namespace qe
