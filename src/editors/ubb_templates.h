#pragma once
// Template texts that both UBB converters write.
#include "platform/vb/string.h"

namespace qe::ubb {

// The folder of the UBB pictures, and the start of the icon that e-mail and
// link templates put in front of their anchors.
inline constexpr char16_t kPictureFolder[] = u"../comm_ubb/pic/";
inline constexpr char16_t kIconPrefix[] = u"<img align=absmiddle src=../comm_ubb/pic/";

// The sized media: Shockwave (Director), Media Player and RealPlayer, with
// the width in $1, the height in $2 and the address in $3.
vb::String DirectorTemplate();
vb::String MediaPlayerTemplate();
vb::String RealPlayerTemplate();
// The QuickTime embed; `loop` is the spelling of its loop attribute.
vb::String QuickTimeTemplate(const char16_t* loop);

}  // namespace qe::ubb
