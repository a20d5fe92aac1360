#pragma once
// Serving stored files to the browser (download, or a viewer page for the
// file's kind), and keeping the site's own copies of pictures held on other
// servers.
#include "platform/vb/variant.h"

namespace qe {

// Sends the file (a real path, or a site path for Server.MapPath) as an
// attachment, in blocks that go out as they are read, until the file ends or
// the client leaves; or the error page: "文件不存在！" for no such file,
// "不允许该类文件下载！" for a script, database or settings file and for any
// file in the site's private folders (common/private_site_files.h) or outside
// every mapped drive, "未知错误！" when the file cannot be opened. The
// response is ended in every case. A read failure once the file has begun
// ends the transfer short.
void KesraFileDownload(vb::Variant& Response, vb::Variant& Server, vb::String p_FileFullName, bool p_CloseParent,
                       vb::String p_DialogID);

// Sends a file whose place the caller has already confined (a user's own
// drive file, which the procedure above refuses as private), streamed in
// blocks as above: as an attachment named by the file, or inline for a page
// to show. `content_type` "" takes the one of the file's extension. The
// error page "文件不存在！" for no such file, "未知错误！" when it cannot be
// opened. The response is ended in every case.
void SendConfinedFile(vb::Variant& Response, const vb::String& real_path, vb::StringView content_type,
                      bool attachment);

// p_CurrentFile is a site path; p_Act "DownLoad" downloads it, "View" sends
// the browser to the viewer page for its kind (or to the file itself), any
// other value to the file itself. Addresses carry the file and the title
// (the file's name when p_FileTitle is "") percent-encoded in code page 936;
// the file's own address is a path of this site with one "/" at its start (a
// relative one placed in the folder of the Request's page). A missing file
// gives an alert script and closes the window.
void KesraFileView(vb::Variant& Server, vb::Variant& Response, vb::Variant& Request, vb::String p_CurrentFile,
                   vb::String p_Act, vb::String p_FileTitle);

// The text with every remote picture address fetched into a new file of the
// site folder p_SavefilePath (which must exist: error 76 otherwise) and
// replaced by that file's site path. An address that is refused, does not
// answer, answers other than 2xx or with anything but a GIF, JPEG, PNG or BMP
// picture stays as it was. Without "Microsoft.XMLHTTP" the text comes back
// unchanged.
vb::String KesraGetRemotefileUrl(vb::Variant& Server, vb::String p_String, vb::String p_SavefilePath);

// Fetches one picture address into the file (a real path, or a site path for
// Server.MapPath), replacing it once the picture is whole. Raises
// -2146697208 for a refused or failed fetch, an answer other than 2xx or one
// that is not a picture, and what the file system raises on saving.
void KesraSaveRemoteFile(vb::Variant& Server, vb::String p_LocalFileName, vb::String p_RemoteFileUrl);

}  // namespace qe
