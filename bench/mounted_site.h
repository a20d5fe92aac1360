#pragma once
// The default site made in a temporary folder and mounted as drive C:, with
// the database providers and the component's classes installed; removed, and
// C: unmapped, at the end.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/default_site.h"
#include "host/site_drive.h"
#include "platform/ado/providers.h"
#include "platform/fs/paths.h"
#include "facade/qecls.h"

namespace bench_support {

struct MountedDefaultSite {
  MountedDefaultSite() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qe-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    host::MakeDefaultSite(folder);
    root = host::MountSite(folder);
    ado::InstallAllProviders();
    qe::RegisterComponentClasses();
  }
  ~MountedDefaultSite() {
    fs::UnmapDrive(u'C');
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  MountedDefaultSite(const MountedDefaultSite&) = delete;
  MountedDefaultSite& operator=(const MountedDefaultSite&) = delete;

  std::filesystem::path folder;  // the site root's host folder
  vb::String root;               // the site root as the pages see it
};

}  // namespace bench_support
