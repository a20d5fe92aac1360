#pragma once
// The UBB editor's sticker dialog, "/comm_ubb/qpic.asp?Sn=n": the page the
// editor block's sticker links open in their dialog.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kStickerPage[] = u"/comm_ubb/qpic.asp";

// The picker of sticker set Sn (CommShowQpicEdit). Sn is read as a whole
// number of up to four digits; anything else shows the picker without
// pictures.
void StickerPage(Page& page);

}  // namespace host
