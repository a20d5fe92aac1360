#pragma once
// The logged-in user, as the login page leaves it in the Session:
//
//   UserInfo      ID|login name|user name|department|right|registration time|password
//   UserInfoSize  quotas in megabytes: resources|album|album photo|blog|network drive
//   manager       the IDs of the current module's managers, each framed by "|"
//
// Every getter first checks that somebody is logged in; when nobody is, it
// writes the error page (which ends the response) and returns Empty (0 for
// the 16-bit getters) at once: callers test the ended flag.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// Whether somebody is logged in: UserInfo is set and not empty.
bool QeUserLoggedIn(vb::Variant& Session);

// Whether the Session's user still stands for its account, by the account's
// current row of the User table (Conn open on the main database): the row
// exists and is approved, and its login name, user name and password digest
// are those of the Session. A right or a department changed since the login
// is taken into UserInfo; anything else that differs ends the Session's user
// as the logout does (UserInfo emptied, the session abandoned), so that a
// changed password, a deleted or unapproved account no longer opens a page.
bool QeSessionFollowsAccount(vb::Variant& Session, vb::Variant& Conn);

// The error page "请不要从非法路径进入！" when nobody is logged in.
void QeCheckUserSession(vb::Variant& Response, vb::Variant& Session, bool p_CloseParent, vb::String p_DialogID);

// Fields 0 to 6 of UserInfo, as text; a shorter UserInfo raises 9.
vb::Variant QeGetUserID(vb::Variant& Response, vb::Variant& Session);
vb::Variant QeGetUserLoginName(vb::Variant& Response, vb::Variant& Session);
vb::Variant QeGetUserName(vb::Variant& Response, vb::Variant& Session);
vb::Variant QeGetUserPart(vb::Variant& Response, vb::Variant& Session);
vb::Variant QeGetUserRight(vb::Variant& Response, vb::Variant& Session);
vb::Variant QeGetUserRegTime(vb::Variant& Response, vb::Variant& Session);
vb::Variant QeGetUserPassword(vb::Variant& Response, vb::Variant& Session);

// Quotas 0 to 2 of UserInfoSize: the field's text when it is a number above
// 0, else the Integer 1; a shorter UserInfoSize raises 9.
vb::Variant QeGetUserSizeResource(vb::Variant& Response, vb::Variant& Session);
vb::Variant QeGetUserSizeAlbum(vb::Variant& Response, vb::Variant& Session);
vb::Variant QeGetUserSizeAlbumSingle(vb::Variant& Response, vb::Variant& Session);
// Quotas 3 and 4: the field's leading number rounded down, at least 1 (a
// missing field too); 6 past 32767.
int16_t QeGetUserSizeBlog(vb::Variant& Response, vb::Variant& Session);
int16_t QeGetUserSizeNetdriver(vb::Variant& Response, vb::Variant& Session);

// The upload limit in megabytes.
int16_t QeGetUploadFileSize();

// A Session value as text ("" when unset or Null).
vb::String SessionText(vb::Variant& Session, vb::StringView name);

}  // namespace qe
