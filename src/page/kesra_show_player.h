#pragma once
// The pages of the site's media viewer: a video page whose player follows the
// stream protocol, a music page, a Flash page and an image page, each one
// string; and playlists written straight into the response. Titles are
// inserted as given (callers make them safe); a player's address goes in only
// when it cannot run a script there (IsPageAddress, a stream's scheme for the
// video and music players), else as "#", and escaped for the attribute it
// stands in.
#include "platform/vb/variant.h"

namespace qe {

// The protocol's list ("mms": ASX, "rtsp": SMIL; an empty p_RunSystem takes
// the first address's scheme) as "application/smil" inline; any other
// protocol writes nothing. An empty list without a protocol raises 9.
void KesraShowPlayList(vb::Variant& Response, vb::String p_RunSystem, vb::String p_UrlList);

// rtsp: RealPlayer; mms: Windows Media Player; rtmp: the Flash video player;
// anything else: an empty player cell. The protocol is p_RunSystem, else the
// address's scheme, else the one its extension calls for.
vb::String KesraShowPlayMovie(vb::String p_Url, vb::String p_Title, vb::String p_RunSystem);
vb::String KesraShowPlayMusic(vb::String p_Url, vb::String p_MusicInfo);
// p_PlayType "control" (any case): the page with a seek bar and buttons;
// anything else: the movie filling the window.
vb::String KesraShowPlayFlash(vb::String p_Url, vb::String p_Title, vb::String p_PlayType);
vb::String KesraShowPlayImage(vb::String p_Url, vb::String p_Title);

}  // namespace qe
