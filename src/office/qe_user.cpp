#include "office/qe_user.h"

#include "common/kesra_error_page.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/information.h"
#include "platform/vb/numbers.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

enum UserField { kID, kLoginName, kName, kPart, kRight, kRegTime, kPassword };
enum QuotaField { kResource, kAlbum, kAlbumSingle, kBlog, kNetdriver };

// Part n of the text split at "|"; 9 when there is none.
vb::String Field(const vb::String& text, size_t n) {
  std::vector<vb::String> parts = vb::SplitParts(text, u"|");
  if (n >= parts.size()) vb::Raise(vb::kSubscriptOutOfRange);
  return parts[n];
}

// Whether somebody is logged in; the error page when nobody is.
bool LoggedIn(vb::Variant& Response, vb::Variant& Session) {
  QeCheckUserSession(Response, Session, false, u"");
  return !asp::ResponseEnded(Response);
}

vb::Variant ReadUserField(vb::Variant& Response, vb::Variant& Session, UserField field) {
  if (!LoggedIn(Response, Session)) return {};
  return Field(SessionText(Session, u"UserInfo"), field);
}

// A quota that pages multiply and print as it stands. A field that is not a
// number counts as none, as 0 and below do.
vb::Variant TextQuota(vb::Variant& Response, vb::Variant& Session, QuotaField field) {
  if (!LoggedIn(Response, Session)) return {};
  vb::Variant quota(Field(SessionText(Session, u"UserInfoSize"), field));
  if (!vb::IsNumeric(quota) || vb::CDbl(quota) <= 0) return int16_t{1};
  return quota;
}

int16_t WholeQuota(vb::Variant& Response, vb::Variant& Session, QuotaField field) {
  if (!LoggedIn(Response, Session)) return 0;
  // Padded so that a short value still has the last two fields.
  vb::String text = Field(SessionText(Session, u"UserInfoSize") + u"||||", field);
  int16_t quota = vb::CInt(vb::Variant(vb::Int(vb::Val(text))));
  return quota < 1 ? int16_t{1} : quota;
}

}  // namespace

vb::String SessionText(vb::Variant& Session, vb::StringView name) {
  vb::Variant value = com::ValueOf(com::Call(Session, u"", vb::String(name)));
  return value.IsNull() ? vb::String() : vb::CStr(value);
}

bool QeUserLoggedIn(vb::Variant& Session) { return !SessionText(Session, u"UserInfo").empty(); }

void QeCheckUserSession(vb::Variant& Response, vb::Variant& Session, bool p_CloseParent, vb::String p_DialogID) {
  if (!QeUserLoggedIn(Session))
    KesraShowErrorPageWithoutData(Response, u"请不要从非法路径进入！", p_CloseParent, p_DialogID);
}

vb::Variant QeGetUserID(vb::Variant& Response, vb::Variant& Session) { return ReadUserField(Response, Session, kID); }
vb::Variant QeGetUserLoginName(vb::Variant& Response, vb::Variant& Session) {
  return ReadUserField(Response, Session, kLoginName);
}
vb::Variant QeGetUserName(vb::Variant& Response, vb::Variant& Session) { return ReadUserField(Response, Session, kName); }
vb::Variant QeGetUserPart(vb::Variant& Response, vb::Variant& Session) { return ReadUserField(Response, Session, kPart); }
vb::Variant QeGetUserRight(vb::Variant& Response, vb::Variant& Session) {
  return ReadUserField(Response, Session, kRight);
}
vb::Variant QeGetUserRegTime(vb::Variant& Response, vb::Variant& Session) {
  return ReadUserField(Response, Session, kRegTime);
}
vb::Variant QeGetUserPassword(vb::Variant& Response, vb::Variant& Session) {
  return ReadUserField(Response, Session, kPassword);
}

vb::Variant QeGetUserSizeResource(vb::Variant& Response, vb::Variant& Session) {
  return TextQuota(Response, Session, kResource);
}
vb::Variant QeGetUserSizeAlbum(vb::Variant& Response, vb::Variant& Session) {
  return TextQuota(Response, Session, kAlbum);
}
vb::Variant QeGetUserSizeAlbumSingle(vb::Variant& Response, vb::Variant& Session) {
  return TextQuota(Response, Session, kAlbumSingle);
}
int16_t QeGetUserSizeBlog(vb::Variant& Response, vb::Variant& Session) {
  return WholeQuota(Response, Session, kBlog);
}
int16_t QeGetUserSizeNetdriver(vb::Variant& Response, vb::Variant& Session) {
  return WholeQuota(Response, Session, kNetdriver);
}

int16_t QeGetUploadFileSize() { return 10; }

}  // namespace qe
