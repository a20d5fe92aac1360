#pragma once
// Extracting a RAR archive (RAR 4 and 5, libarchive underneath) into a
// folder, checked whole before anything is written (see staged_extraction.h).
#include "platform/vb/string.h"
#include "platform/zip/zip_results.h"

namespace ziparc {

// Full paths; existing files are replaced; encrypted archives are refused
// (kZipPassword: no password is taken). Names without the archive's Unicode
// flag are code page 936.
ZipResult UnpackRar(vb::StringView archive, vb::StringView destination);

}  // namespace ziparc
