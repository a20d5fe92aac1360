#pragma once
// The online update: a page that fetches the newest program files from the
// update server (FTP or HTTP) into the update folder beside the component and
// tells whether they are newer than this build. The batch that would
// install them is written for the administrator; nothing here runs it, and
// nothing downloaded is ever run.
//
// The update hosts (each "host" or "host:port") and the update provider's
// name are server settings: UPDATE_FTP_HOST, UPDATE_WEB_HOST and
// UPDATE_PROVIDER (sys::ServerSetting), empty unless the server names them.
#include "platform/vb/variant.h"

namespace qe {

// The framed update page (360 x 202); after a submission (form field "save"
// holds "save") it carries the download's outcome as a script. A missing or
// non-numeric UpdateType on submission raises 13.
vb::String KesraShowFormUpDate(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server);
// The page's four texts joined by "|".
vb::String KesraUpDateMessages();
// Fetches the program files (1: FTP, any other: HTTP) and compares the
// downloaded library's product version with this build's: the outcome
// message, "下载完成！" when the download is newer.
vb::String KesraUpDateDownload(int16_t p_UpdateType);
// Writes the installing batch into the update folder (replacing it); it is
// not started.
void KesraUpDateWriteBatch();

}  // namespace qe
