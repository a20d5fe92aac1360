#pragma once
// Extracting a zip archive into a folder (libzip underneath), checked whole
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

// Names are read by the archive's UTF-8 flag, as code page 936 without it;
// "/" and "\" both separate. Encryption: the traditional method and AES.
ZipResult Unpack(const UnpackRequest& request);

}  // namespace ziparc
