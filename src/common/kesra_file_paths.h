#pragma once
// The parts of a path, the file-type icon of list pages, and the real path of
// a site path.
#include "platform/vb/variant.h"

namespace qe {

// The folder part with its trailing separator ("\" wins over "/").
vb::String KesraFileGetPath(vb::String p_String);
// The file name with its extension.
vb::String KesraFileGetFullName(vb::String p_String);
// The path without its extension, in lower case.
vb::String KesraFileGetName(vb::String p_String);
// The extension in lower case; with its dot when p_HasPoint is 1.
vb::String KesraFileGetExt(vb::String p_String, uint8_t p_HasPoint);
// The extensions that have an icon of their own, each framed by "|"; the site
// carries an icon for each, and one named "unknown" for any other.
inline constexpr char16_t kFileIconList[] =
    u"|asa|asp|aspx|avi|bat|bmp|cab|chm|cmd|com|cs|css|dll|doc|dwf|dwg|dxf|exe|gif|hlp|htc|htm|html|img|inc|iso|jpg|"
    u"js|lnk|log|mail|mdb|mdf|mht|mid|midi|mp3|pct|pdf|ppt|rar|reg|rm|rmvb|sql|swf|sys|text|txt|url|vda|vs|wav|wmp|"
    u"wmv|wri|xls|xml|xslt|zip|";
// The image tag of the extension's icon (16 x 16, or 35 x 32 for "big").
vb::String KesraFileGetIcon(vb::String p_FileExt, vb::String p_IconExt, vb::String p_IconType);
// The name as it is when it is a real path, else Server.MapPath of it (whose
// errors reach the caller).
vb::String KesraGetFileRealFullName(vb::Variant& Server, vb::String p_FileName);

// The maintenance procedures' rule: a path holding ":" as it is, any other
// Server.MapPath of it (whose errors reach the caller).
vb::String MapPathWithoutDrive(vb::Variant& Server, const vb::String& path);

}  // namespace qe
