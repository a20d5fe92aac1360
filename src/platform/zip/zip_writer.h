#pragma once
// Writing a zip archive from files under a base folder (libzip underneath).
#include <string>
#include <vector>

#include "platform/vb/string.h"
#include "platform/zip/zip_results.h"

namespace ziparc {

struct PackRequest {
  vb::String base_path;  // a real path
  // File names or wildcard masks under the base folder ("*.*" matches every
  // name). A name without wildcards takes that file, or that folder with what
  // is in it; a mask takes the matching files (and folders) of its folder.
  std::vector<vb::String> items;
  bool preserve_paths = true;      // entries keep their path below the base folder
  bool process_subfolders = true;  // masks and folders reach into subfolders
  int compression_level = 6;       // deflate 1-9; 0 stores
  vb::String archive;              // a real path
  std::string password;            // bytes of code page 936; empty: no encryption
};

// The archive holds exactly the processed files afterwards. It is written
// under a scratch name on its file system (fs::ScratchFolderFor) and renamed
// into place, so an existing archive is replaced only by a complete one, and
// of two writers at once one whole archive stays. An existing file that is
// not a zip archive is left alone (kZipNotAnArchive). Encryption is the
// traditional method, which Windows' own zip folders open.
ZipResult Pack(const PackRequest& request);

}  // namespace ziparc
