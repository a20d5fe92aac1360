#pragma once
// The rules by which the data procedures let names and values into paths,
// connection strings and SQL Server statements.
#include "platform/vb/variant.h"

namespace qe {

// A backup name, backup file name or data-file name becomes one piece of a
// path: none that could reach another folder or split a list (".." "\" "/"
// ":" "$" "|", control characters, nothing but dots and blanks).
bool IsPlainPathPiece(vb::StringView name);

// A catalog name in a SQL Server statement: one of letters, digits and "_"
// not starting with a digit stands as it is; any other between brackets,
// each "]" doubled.
vb::String SqlServerName(vb::StringView name);

// A value of a connection string: as it is, unless it holds ";" or a quote
// or starts with a brace or blank; then between double quotes, each one
// inside doubled, so that it never starts a new key.
vb::String ConnectionValue(vb::StringView value);

// The path of a folder under the site made of site or real path parts joined
// by "\" ("\\" made one once), mapped as the maintenance procedures map.
vb::String JoinedFolder(vb::Variant& Server, const vb::String& joined);

// True when the real path lies inside the site root (never the root itself),
// and neither is nor holds the site's "/data" folder.
bool IsInsideSite(vb::Variant& Server, const vb::String& real_path, bool may_be_data_folder);

}  // namespace qe
