#pragma once
// Predicates that pages run on form and query values before they store or use
// them. None writes to the response; an empty or blank text fails them all.
#include "platform/vb/variant.h"

namespace qe {

// Every character double-byte in code page 936 (a negative ANSI code).
bool KesraCheckIsChinese(vb::String p_String);
// Digits "0".."9" only: no sign, point or inner blank.
bool KesraCheckIsInteger(vb::String p_String);
// The platform's locale-aware numeric test, on the trimmed text.
bool KesraCheckIsNumeric(vb::String p_String);
// Seven or more characters, each a digit or "-".
bool KesraCheckIsTelephone(vb::String p_String);
// The first character the pages refuse in names and keys, or "".
vb::String KesraCheckIsValidString(vb::String p_String);
bool KesraCheckIsEmail(vb::String p_String);

// A case-insensitive, global regular-expression test; a bad pattern raises
// its error to the caller. The result is a variant holding a Boolean.
vb::Variant KesraCheckReg(vb::Variant& p_Pattern, vb::String p_String);
// True exactly when the text holds nothing but blanks.
vb::Variant KesraCheckIsEmpty(vb::String p_String);

}  // namespace qe
