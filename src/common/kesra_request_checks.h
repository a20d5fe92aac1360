#pragma once
// Checks that pages run before they act on a request. A refusing check writes
// the error page (which ends the response) and returns at once.
#include "platform/vb/variant.h"

namespace qe {

void KesraCheckInject(vb::Variant& Request, vb::Variant& Response, bool p_CloseParent, vb::String p_DialogID);
void KesraCheckPost(vb::Variant& Request, vb::Variant& Response, int16_t p_CheckPost, bool p_CloseParent,
                    vb::String p_DialogID);
void KesraCheckSession(vb::Variant& Response, vb::String p_SessionName, bool p_CloseParent, vb::String p_DialogID);
void KesraCheckAllow(vb::Variant& Response, vb::Variant& Rs, vb::Variant& Conn, int16_t p_AllowState,
                     bool p_CloseParent, vb::String p_DialogID);
void KesraCheckInput(vb::Variant& Request, vb::Variant& Response, vb::String p_StringList, bool p_CloseParent,
                     vb::String p_DialogID);
void KesraCheckIsNoRecord(vb::Variant& Response, vb::Variant& Rs, vb::Variant& Conn, vb::String p_ErrorMessage,
                          bool p_CloseParent, vb::String p_DialogID);
bool KesraCheckIsEof(vb::Variant& Conn, vb::String p_Sql);

}  // namespace qe
