#include "office/qe_user.h"

#include <algorithm>

#include "common/kesra_error_page.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
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

bool QeSessionFollowsAccount(vb::Variant& Session, vb::Variant& Conn) {
  std::vector<vb::String> fields = vb::SplitParts(SessionText(Session, u"UserInfo"), u"|");
  // No database, no account to stand for. The ID goes into the statement:
  // digits only, as the login wrote it.
  bool stands = Conn.IsObject() && fields.size() == kPassword + 1 && !fields[kID].empty() && fields[kID].size() <= 9 &&
                std::ranges::all_of(fields[kID], [](char16_t c) { return c >= u'0' && c <= u'9'; });
  if (stands) {
    vb::Variant rs(com::CreateObject(u"Adodb.RecordSet"));
    com::Call(rs, u"Open",
              u"Select [UserName],[Name],[Part],[Rule],[PassWord],[ShenHe] From [User] Where [ID]=" + fields[kID], Conn,
              int32_t{0}, int32_t{1});
    auto column = [&](const char16_t* name) { return com::ValueOf(com::Call(rs, u"", vb::String(name))); };
    auto text = [&](const char16_t* name) {
      vb::Variant value = column(name);
      return value.IsNull() ? vb::String() : vb::CStr(value);
    };
    stands = !vb::CBool(com::Call(rs, u"EOF"));
    if (stands) {
      vb::Variant approved = column(u"ShenHe");
      const vb::String part = text(u"Part"), right = text(u"Rule");
      stands = !approved.IsNull() && !approved.IsEmpty() && vb::CBool(approved) &&
               text(u"UserName") == fields[kLoginName] && text(u"Name") == fields[kName] &&
               text(u"PassWord") == fields[kPassword] && vb::InStr(part + right, u"|") == 0;
      if (stands && (part != fields[kPart] || right != fields[kRight])) {
        fields[kPart] = part;
        fields[kRight] = right;
        com::Let(Session, u"", vb::Variant(vb::Join(fields, u"|")), vb::String(u"UserInfo"));
      }
    }
    com::Call(rs, u"Close");
  }
  if (!stands) {
    com::Let(Session, u"", vb::Variant(vb::String()), vb::String(u"UserInfo"));
    com::Call(Session, u"Abandon");
  }
  return stands;
}

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
