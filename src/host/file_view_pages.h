#pragma once
// The site's pages around stored files: the media viewer that the file view
// sends the browser to, and the page that downloads or views one file.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kFileViewPage[] = u"/comm/kesra_FileView.asp";
inline constexpr char16_t kFileDownloadPage[] = u"/comm/kesra_Download.asp";

// ?FileType=Wav|Mp4|Movie|Flash|Image (any case) &RunSystem= &PlayType= &Url=
// &Title=: the player page of that kind; any other kind answers 404. The
// title goes into the page HTML-encoded, the address percent-encoded.
void FileViewPage(Page& page);

// ?p_CurrentFile= &p_Act=DownLoad|View &p_FileTitle=: after the injection
// check, the file view of the component; 404 without a file.
void FileDownloadPage(Page& page);

}  // namespace host
