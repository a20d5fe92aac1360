#pragma once
// The drive pages that carry files in and out of a user's own drive: view,
// download (the drive page with p_Act "download", as its script asks),
// upload and unpack. Each runs the login gate first and works only inside
// the session user's drive; upload and unpack change the drive, so they
// check the request's origin too, and keep to the drive's quota.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kNetDriversViewPage[] = u"/qe/main/netdrivers_view.asp";
inline constexpr char16_t kNetDriversUploadPage[] = u"/qe/main/netdrivers_upload.asp";
inline constexpr char16_t kNetDriversUnzipPage[] = u"/qe/main/netdrivers_unzip.asp";

void NetDriversViewPage(Page& page);
void NetDriversUploadPage(Page& page);
void NetDriversUnzipPage(Page& page);

// The drive page's download: p_CurrentFile (a path inside the drive) as an
// attachment, streamed.
void NetDriversDownload(Page& page);

}  // namespace host
