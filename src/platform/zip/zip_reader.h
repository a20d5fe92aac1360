#pragma once
// Extracting a zip archive into a folder (libzip underneath, libarchive for
// what it cannot read), checked whole
// before anything is written (see staged_extraction.h).
#include <string>
#include <vector>

#include "platform/vb/string.h"
#include "platform/zip/zip_results.h"

namespace ziparc {

struct UnpackRequest {
  vb::String archive;      // a real path
  vb::String destination;  // a real path; made when missing
  bool preserve_paths = true;
  // Wildcard masks matched against an entry's path ("\"-separated) or its
  // name; empty: every entry.
  std::vector<vb::String> items;
  std::string password;  // bytes of code page 936; empty: none
};

// Names are read by the archive's UTF-8 flag (or Info-ZIP's Unicode Path
// field), else by the system that wrote them (see NameBytes); "/" and "\"
// both separate; "." and empty elements are skipped. Methods: stored,
// deflate, Deflate64, bzip2, LZMA, xz, PPMd, zstd, each decoder within the
// limits' memory; encryption: the traditional method
// and AES, whose authentication code is checked.
ZipResult Unpack(const UnpackRequest& request);

}  // namespace ziparc
