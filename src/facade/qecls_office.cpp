// The office members that do more than forward.
#include "common/system_title.h"
#include "office/qe_frames.h"
#include "office/qe_rights.h"
#include "office/qe_settings.h"
#include "page/kesra_show_title.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/information.h"
#include "facade/qecls.h"

namespace qe {
namespace {

// A right keyword left blank means the author's.
vb::String KeywordOrOwner(const vb::String& keyword) { return keyword.empty() ? vb::String(u"owner") : keyword; }

}  // namespace

vb::String QeCls::CommShowEdit(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs, vb::String p_Url,
                               int16_t p_ClassID, vb::String p_UserGroup, int16_t p_PopWidth, int16_t p_PopHeight,
                               vb::String p_Title, vb::String p_DialogTitle, int16_t p_CloseDialogByOverly,
                               vb::String p_DialogID, vb::String p_ID) {
  const vb::String keyword = KeywordOrOwner(p_UserGroup);
  // "anyone" exactly is granted without reading the Session.
  const bool allowed = keyword == u"anyone" || QeCheckManagerRight(Response, Session, Rs, keyword);
  return KesraShowEdit(Response, Session, Rs, p_Url, p_ClassID, allowed, p_PopWidth, p_PopHeight, p_Title,
                       p_DialogTitle, p_CloseDialogByOverly, p_DialogID, p_ID);
}

vb::String QeCls::CommShowDel(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs, vb::String p_Url,
                              int16_t p_ClassID, vb::String p_DelUser, vb::Variant p_Title, vb::String p_ID) {
  const bool allowed = QeCheckManagerRight(Response, Session, Rs, KeywordOrOwner(p_DelUser));
  return KesraShowDel(Response, Session, Rs, p_Url, p_ClassID, allowed, p_Title, p_ID);
}

vb::String QeCls::CommGetQeTitle() { return SystemTitle(); }

// The days as a 16-bit whole number: 6 past its range, and 6 for anything
// that is not a number.
void QeCls::CommSaveCookiesInfo(vb::Variant& Response, vb::Variant& Request, vb::Variant& p_SaveTime) {
  const vb::Variant days = com::ValueOf(p_SaveTime);
  if (!days.IsEmpty() && !vb::IsNumeric(days)) vb::Raise(vb::kOverflow);
  QeSaveCookiesInfo(Response, Request, vb::CInt(days));
}

vb::String QeCls::CommShowMainLeft(int16_t p_ColspanNumber) {
  return QeShowMainLeft(vb::CStr(vb::Variant(p_ColspanNumber)));
}

}  // namespace qe
