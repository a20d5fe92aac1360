#pragma once
// What a download sends before the file: the content type its extension
// calls for, the extensions never sent, and the attachment header that names
// the file.
#include "platform/vb/string.h"

namespace qe {

// The content type of a lower-case extension ("doc", "jpg"); any extension
// the table does not hold is "application/octet-stream".
vb::StringView DownloadContentType(vb::StringView extension);

// True for a lower-case extension that is never downloaded: server scripts,
// databases and the site's settings.
bool IsRefusedDownloadExtension(vb::StringView extension);

// The Content-Disposition value for a file name. A name of plain printable
// ASCII without blanks, ";", "," or quotes gives `head` and the name, as old
// clients expect. Any other name keeps that part (with ";", "," and '"' as
// "_", so the name cannot add a parameter or a second disposition) and adds
// "; filename*=UTF-8''" and the name's UTF-8 bytes percent-encoded, which
// current browsers take instead. Control characters are dropped from both.
// Downloads use the default head; the spreadsheet export keeps its own.
vb::String AttachmentDisposition(vb::StringView name, vb::StringView head = u"attachment;  FileName=");

}  // namespace qe
