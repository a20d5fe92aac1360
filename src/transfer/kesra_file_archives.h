#pragma once
// Packing and unpacking archives in a folder of the site: with the rar tool
// through the command interpreter, or with the zip class. Each gives the
// script that tells the user "操作成功" or "操作失败", reloads the page that
// opened the window and closes it.
#include "platform/vb/variant.h"

namespace qe {

// p_Path: the site path of the folder; p_File: a file or folder name inside
// it (one that holds a double quote or a control character, or leads out of
// the folder, fails before anything runs); p_Act "unzip" (any case) extracts
// the archive p_File into the folder, anything else packs p_File into
// "<name>.rar" there.
vb::String KesraUnZipWithRar(vb::Variant& Server, vb::String p_Path, vb::String p_File, vb::String p_Act);

// p_Act (any case): "zipfile" packs the file p_File, "zipfolder" the folder
// p_File with everything below it, each into "<name>.RAR" in the folder
// (a zip archive, whatever its name says); "unzip" extracts the zip archive
// p_File into the folder; anything else fails without touching a file.
vb::String KesraUnZipWithXceedZip(vb::Variant& Server, vb::String p_Path, vb::String p_File, vb::String p_Act);

}  // namespace qe
