#pragma once
// Resident identity-card numbers (GB 11643-1999): the check that pages run
// before they store one, and the birthday and sex read from one.
#include "platform/vb/variant.h"

namespace qe {

// "" when the number passes every step of its level, else the reason for
// refusing it: 1 and below check nothing, 2 the length and the digits, 3 also
// the birth date, 4 also the check character (ISO 7064 MOD 11-2).
vb::String KesraCheckPostCard(vb::String p_Postcard, int16_t p_Level);

// "MM/DD/YYYY" of an 18-character number, as its digits stand; "" for another
// length or a birth date out of range. 13 when a field is not a number.
vb::String KesraGetBirthdayFromPostcard(vb::String p_Postcard);
// "男" or "女" from the 17th character of an 18-character number; "" for
// another length. 13 when that character is not a number.
vb::String KesraGetSexFromPostcard(vb::String p_Postcard);

}  // namespace qe
