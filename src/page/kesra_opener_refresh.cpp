#include "page/kesra_opener_refresh.h"

#include "common/kesra_error_page.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr vb::StringView kScriptStart = u"<SCRIPT LANGUAGE=JavaScript>";
constexpr vb::StringView kScriptEnd = u"</SCRIPT>";
constexpr uint8_t kCloseWindow = 1;

vb::String Alert(const vb::String& title) {
  if (title.empty()) return {};
  return u"alert('" + title + u"');";
}

vb::String CloseStatements(uint8_t is_close) {
  return is_close == kCloseWindow ? KesraCloseWindowNoMessagebox() : vb::String();
}

vb::String Script(const vb::String& statements) {
  return vb::String(kScriptStart) + statements + vb::String(kScriptEnd);
}

}  // namespace

vb::String KesraOpenerRefresh() {
  return Script(u"opener.location.reload(true);" + KesraCloseWindowNoMessagebox());
}

vb::String KesraOpenerEditRefresh(vb::String p_ShowTitle, uint8_t p_IsClose) {
  return Script(Alert(p_ShowTitle) +
                u"if(!window.showModalDialog){parent.opener.location.reload(true);}"
                u"else{parent.dialogArguments.location.reload(true);}" +
                CloseStatements(p_IsClose));
}

vb::String KesraDialogOpenerEditRefresh(vb::String p_ShowTitle, uint8_t p_IsClose, vb::String p_DialogID,
                                        vb::String /*p_DialogFrameID*/) {
  vb::String dialog = vb::Trim(p_DialogID).empty() ? vb::String(u"Dialog") : p_DialogID;
  return Script(u"window.parent.document.getElementById('" + dialog + u"').close();" +
                u"window.parent.location.reload(true);" + Alert(p_ShowTitle) + CloseStatements(p_IsClose));
}

}  // namespace qe
