#pragma once
// The version strings of a program file.
#include "platform/vb/variant.h"

namespace qe {

struct KesraFileVersionInfo {
  vb::String CompanyName;
  vb::String FileDescription;
  vb::String FileVersion;
  vb::String InternalName;
  vb::String LegalCopyright;
  vb::String OriginalFileName;
  vb::String ProductName;
  vb::String ProductVersion;
};

enum VersionInfoResult : int16_t { kVersionInfoRead = 1, kNoVersionInfo = 2 };

// Fills the record from the file's first translation (every field empty
// first, and left empty when the file lacks it); kNoVersionInfo when the file
// has no readable version information. Values are taken whole, through the
// ANSI code page.
int16_t KesraGetFileVersionInfo(vb::String& p_FileName, KesraFileVersionInfo& p_Info);
// The product version, or "" for a missing file or one without version information.
vb::String KesraGetFileProductVersion(vb::String p_FileName);

}  // namespace qe
