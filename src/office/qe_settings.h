#pragma once
// Small services outside the user's session: the system settings rows of
// the main database, the login cookie, the blog module's counters, and the
// photo albums' file names and list cells.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// The settings of a class (the Xtsz row whose Class is p_Type), trimmed;
// "|||||||" when they are empty. A class without a row gets one with its
// default settings, once, however many requests ask for it at the same time.
vb::String QeGetXtsz(vb::Variant& Conn, vb::String p_Type);

// The login cookie "KesraQe" (path "/", HttpOnly, SameSite Lax): with
// p_SaveTime days, the posted UserName and an empty PassWord as its sub-keys
// (a password never leaves the server), expiring that many days after today
// (a negative count removes it); with 0, emptied.
void QeSaveCookiesInfo(vb::Variant& Response, vb::Variant& Request, int16_t p_SaveTime);

// Recounts one blog counter and stores it: 1 the user's posts, 2 the replies
// to post p_BlogID (or, when it is 0 or less, the replies the user wrote), 3
// the messages the user received. Other types do nothing.
void QeSaveBlogCount(vb::Variant& Conn, int16_t p_CountType, vb::String p_UserName, int16_t p_BlogID);

// The site path of an album photo, or of its thumbnail (p_AlbumType "small",
// any case: the lower-cased name without extension and "_small.jpg").
vb::String QeGetUserAlbumFullName(vb::String p_AlbumName, vb::String p_AlbumType);

// One cell of an album's photo list for the photo of Rs: its thumbnail when
// asked for ("small") and present on disk, else a call of the image script's
// kesra_showpic that fits the photo into the box.
vb::String QeGetPhotoSlt(vb::Variant& Server, vb::Variant& Rs, vb::String p_AlbumType, int16_t p_Width,
                         int16_t p_Height, int16_t p_BorderWidth, vb::String p_AllowPop);

}  // namespace qe
