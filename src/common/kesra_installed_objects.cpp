#include "common/kesra_installed_objects.h"

#include "platform/com/registry.h"

namespace qe {

bool KesraCheckIsObjInstalled(vb::Variant&, vb::String strClassString) {
  try {
    com::CreateObject(strClassString);
    return true;
  } catch (const vb::Error&) {
    return false;
  }
}

}  // namespace qe
