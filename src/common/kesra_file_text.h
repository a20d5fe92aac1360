#pragma once
// Text files in the server's ANSI code page (936): no byte-order mark, no
// line-end conversion. Also folder listings, and text files in a named
// character set through a stream.
#include "platform/vb/variant.h"

namespace qe {

// Writes the text (mode 2: a new or emptied file; any other: appended),
// making the file's folder chain first. False when the name is empty, the
// file cannot be opened, or the disk does not take every byte.
bool KesraSaveToTextFile(vb::String p_FileFullName, vb::String p_String, uint8_t p_SaveModen);
// An empty file; an existing file only with the mode "overwrite" (trimmed, any case).
bool KesraFileCreateEmptyTxt(vb::String p_FileFullName, vb::String p_OverWriteModen);
// The whole file as text; "" for a missing, empty or unreadable file.
vb::String KesraReadFromTextFile(vb::String p_FileFullName);
// The names in the folder, "|"-joined in the search's order: sub-folders for
// type 1, files (entries with any other attribute) for any other type.
vb::String KesraSearchPathFile(vb::String p_SearchPath, int16_t p_SearchType);

// The file (a real path, or a site path for Server.MapPath) read whole in the
// character set; the stream's errors reach the caller.
vb::String KesraReadTextByStream(vb::Variant& Server, vb::String p_FileName, vb::String p_CharsetType);
// The text written to the file in the character set, replacing the file, with
// the set's byte-order mark where the stream writes one ("utf-8", "unicode");
// the stream's errors reach the caller.
void KesraWritedTextByStream(vb::Variant& Server, vb::String p_TextString, vb::String p_FileName,
                             vb::String p_CharsetType);

}  // namespace qe
