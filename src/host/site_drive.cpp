#include "host/site_drive.h"

#include "platform/fs/paths.h"

namespace host {

vb::String MountSite(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  fs::MapDrive(u'C', std::filesystem::absolute(folder));
  return u"C:\\";
}

}  // namespace host
