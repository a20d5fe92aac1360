#pragma once
// What the drive's file pages share: the file or folder a request names,
// confined to the session user's own drive, and how a file's bytes are shown.
#include <optional>
#include <string_view>

#include "host/pages.h"
#include "office/net_drive.h"
#include "transfer/picture_sniff.h"

namespace host {

struct DriveFile {
  qe::netdrive::Drive drive;
  vb::String path;  // inside the drive, as p_CurrentFile gives it: "/docs/a.txt"
  vb::String real;  // Server.MapPath of it
  vb::String name;
};

// The file p_CurrentFile names in the session user's drive: no "." or ".."
// element, inside the drive with links followed, an existing file. Nothing
// once the response has ended: the drive's error page, or "文件不存在！" for
// anything else (another user's file looks the same as a missing one).
std::optional<DriveFile> RequestedDriveFile(Page& page);

struct DriveFolderPlace {
  qe::netdrive::Drive drive;
  vb::String virtual_path;  // the folder's site path, ending with "/"
  vb::String real;          // Server.MapPath of it
};

// The folder `folder` (p_CurrentFolder) of the session user's drive, an
// existing folder inside it; nothing once the error page (the drive's
// illegal-name text) ended the response.
std::optional<DriveFolderPlace> RequestedDriveFolder(Page& page, const vb::String& folder);

// "image/gif", "image/jpeg", "image/png" or "image/bmp".
vb::String PictureContentType(const qe::PictureInfo& picture);

// The bytes of a text file as page text inside <pre>: UTF-8 when they are
// (an initial byte-order mark dropped, a sequence cut at the end left out),
// else code page 936; markup encoded, and every character past ASCII as a
// numeric reference, so the page's own code page loses none.
vb::String ShownText(std::string_view bytes);

}  // namespace host
