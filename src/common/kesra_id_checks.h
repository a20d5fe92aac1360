#pragma once
// Checks that turn a query value into a record id. A value that is not one
// gets the error page (which ends the response); the check then returns at
// once with the value it documents.
#include "platform/vb/variant.h"

namespace qe {

// The whole number at the start of a numeric text, rounded down (12.7 gives
// 12, -3.5 gives -4); 6 when it does not fit in 16 bits. Not numeric: the
// error page "无效ID。" and 0.
int16_t KesraCheckIsID(vb::Variant& Response, vb::String p_String, bool p_CloseParent, vb::String p_DialogID);
// KesraCheckIsID for record keys that pass 32767: the same rule and error
// page, the whole number read in 32 bits (6 past them).
int32_t CheckIsLongID(vb::Variant& Response, vb::String p_String, bool p_CloseParent, vb::String p_DialogID);
// KesraCheckIsID, then the error page when the id lies outside p_Min..p_Max.
// The id is returned either way.
int16_t KesraCheckIsRange(vb::Variant& Response, vb::String p_String, int16_t p_Min, int16_t p_Max,
                          bool p_CloseParent, vb::String p_DialogID);

}  // namespace qe
