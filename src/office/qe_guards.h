#pragma once
// The guards an office page runs first. Each returns quietly or refuses; a
// refusal writes the error page (which closes the Rs and Conn it is given and
// ends the response), and the guard returns at once. A guard that reads the
// user refuses a visitor who is not logged in with the user's error page.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// The site-wide login gate: without a logged-in user, a page whose
// PATH_INFO holds "index.asp", "login.asp", "login_check.asp" or "user_reg_"
// (exact case) is open; any other gets a script that sends the top window to
// "/qe/index.asp", and the response ends.
void QeCheckUserNormal(vb::Variant& Response, vb::Variant& Request, vb::Variant& Session);

// Refuses ("你没有足够的权限！") a user who is neither super manager nor a
// manager of the module.
void QeCheckUserManager(vb::Variant& Response, vb::Variant& Request, vb::Variant& Session, vb::Variant& Conn,
                        vb::Variant& Rs, bool p_CloseParent, vb::String p_DialogID);
// Refuses a user who is not the super manager.
void QeCheckUserSuperManager(vb::Variant& Response, vb::Variant& Request, vb::Variant& Session, vb::Variant& Conn,
                             vb::Variant& Rs, bool p_CloseParent, vb::String p_DialogID);

// The record of p_TableName whose id is the leading number of Request("ID")
// (0 when there is none): the no-record page when it is missing, the refusal
// "你无权对该记录进行操作！" when the right keyword p_OwnerType does not grant it.
void QeCheckOwner(vb::Variant& Response, vb::Variant& Request, vb::Variant& Session, vb::Variant& Conn,
                  vb::String p_TableName, vb::String p_OwnerType, bool p_CloseParent, vb::String p_DialogID);

// The record of p_TableName with the ID of Request("ID") (a number, else the
// error page "无效ID。"): refused when its GetPart is not the user's department
// and the user is neither super manager nor author. A Null GetPart, meant for
// every department, is not refused.
void QeCheckPart(vb::Variant& Response, vb::Variant& Request, vb::Variant& Conn, vb::Variant& Session,
                 vb::String p_TableName, bool p_CloseParent, vb::String p_DialogID);

// Refuses a user whose private resources (unshared rows of Resource, by
// RealSize in bytes) fill the resource quota or more.
void QeCheckUserSizeResource(vb::Variant& Response, vb::Variant& Session, vb::Variant& Conn, bool p_CloseParent,
                             vb::String p_DialogID);

// Whether the visitor may see the album: its owner and open albums (level 1)
// always; private ones (3) never, with the error page; password ones (2) once
// the digest of the password posted in this session matches, else the
// password form is written and the request goes on. Other levels: False,
// nothing written.
bool QeCheckAlbumVisitRight(vb::Variant& Session, vb::Variant& Response, vb::Variant& Request, vb::Variant& Rs,
                            vb::Variant& Conn, vb::String p_AlbumUserName, int16_t p_AlbumLevel,
                            vb::String p_AlbumPassword, bool p_CloseParent, vb::String p_DialogID);

}  // namespace qe
