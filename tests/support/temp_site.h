#pragma once
// A temporary site: drive C: mapped to a fresh temporary folder, with the
// site root "C:\site" inside it. Everything is removed, and C: unmapped, at
// the end.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/fs/paths.h"

namespace qe_test {

class TempSite {
 public:
  TempSite() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qe-site-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create " + pattern);
    drive_ = pattern;
    std::filesystem::create_directory(drive_ / "site");
    fs::MapDrive(u'C', drive_);
  }
  ~TempSite() {
    fs::UnmapDrive(u'C');
    std::error_code ignored;
    std::filesystem::remove_all(drive_, ignored);
  }
  TempSite(const TempSite&) = delete;
  TempSite& operator=(const TempSite&) = delete;

  // The host folder of drive C: and of the site root.
  const std::filesystem::path& Drive() const { return drive_; }
  std::filesystem::path SiteFolder() const { return drive_ / "site"; }
  // The site root as the component sees it.
  static vb::String SiteRoot() { return u"C:\\site"; }

  // Host paths of names relative to C:\, "/"-separated UTF-8 ("site/data/qe.asp").
  std::filesystem::path Host(std::string_view relative) const {
    return relative.empty() ? drive_ : drive_ / std::filesystem::path(relative);
  }
  std::filesystem::path MakeFolder(std::string_view relative) const {
    std::filesystem::create_directories(Host(relative));
    return Host(relative);
  }
  std::filesystem::path WriteFile(std::string_view relative, std::string_view content = {}) const {
    std::filesystem::path path = Host(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

 private:
  std::filesystem::path drive_;
};

}  // namespace qe_test
