#include "office/qe_dialogs.h"
#include "page/kesra_show_dialog.h"
#include "platform/vb/convert.h"
#include "facade/qecls.h"

namespace qe {

// Both looks are built, as pages have always received them, and the one asked
// for is returned: an error of either reaches the page whichever look it asked.
vb::String QeCls::CommShowDialogFrame(int16_t p_PopWidth, int16_t p_PopHeight, bool p_IsSimple, bool p_Refresh,
                                      vb::String p_DialogID) {
  vb::String office = QeShowDialogFrame(p_PopWidth, p_PopHeight, p_Refresh, p_DialogID);
  vb::String plain = KesraShowDialogFrame(p_PopWidth, p_PopHeight, p_Refresh, p_DialogID);
  return p_IsSimple ? plain : office;
}

vb::String QeCls::CommShowDialogFrameScript(bool p_IsSimple) {
  return p_IsSimple ? KesraShowDialogFrameScript() : QeShowDialogFrameScript();
}

vb::String QeCls::CommShowDialogDivFrame(int16_t p_PopWidth, int16_t p_PopHeight, bool p_IsSimple, bool p_Refresh,
                                         vb::String p_DialogID) {
  vb::String office = vb::CStr(QeShowDialogDivFrame(vb::Variant(p_PopWidth), vb::Variant(p_PopHeight),
                                                    vb::Variant(p_Refresh), vb::Variant(p_DialogID)));
  vb::String plain = KesraShowDialogDivFrame(p_PopWidth, p_PopHeight, p_Refresh, p_DialogID);
  return p_IsSimple ? plain : office;
}

}  // namespace qe
