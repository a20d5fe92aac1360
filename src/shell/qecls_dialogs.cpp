#include "page/kesra_show_dialog.h"
#include "platform/vb/error.h"
#include "shell/qecls.h"

namespace qe {
namespace {

// The office look, drawn with the site's frame images, is not built yet: a
// page that asks for it learns so instead of getting the plain look.
[[noreturn]] void OfficeLookNotBuilt(const char16_t* member) {
  vb::Raise(vb::kActionNotSupported,
            vb::String(member) + u": the office look of the dialog (p_IsSimple False) is not available in this build");
}

}  // namespace

vb::String QeCls::CommShowDialogFrame(int16_t p_PopWidth, int16_t p_PopHeight, bool p_IsSimple, bool p_Refresh,
                                      vb::String p_DialogID) {
  vb::String plain = KesraShowDialogFrame(p_PopWidth, p_PopHeight, p_Refresh, p_DialogID);
  if (!p_IsSimple) OfficeLookNotBuilt(u"CommShowDialogFrame");
  return plain;
}

vb::String QeCls::CommShowDialogFrameScript(bool p_IsSimple) {
  if (!p_IsSimple) OfficeLookNotBuilt(u"CommShowDialogFrameScript");
  return KesraShowDialogFrameScript();
}

vb::String QeCls::CommShowDialogDivFrame(int16_t p_PopWidth, int16_t p_PopHeight, bool p_IsSimple, bool p_Refresh,
                                         vb::String p_DialogID) {
  vb::String plain = KesraShowDialogDivFrame(p_PopWidth, p_PopHeight, p_Refresh, p_DialogID);
  if (!p_IsSimple) OfficeLookNotBuilt(u"CommShowDialogDivFrame");
  return plain;
}

}  // namespace qe
