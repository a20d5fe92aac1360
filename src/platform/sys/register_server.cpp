#include "platform/sys/register_server.h"

#include <sstream>

#include "platform/com/registry.h"
#include "platform/fs/file.h"
#include "platform/fs/full_path.h"
#include "platform/fs/paths.h"
#include "platform/vb/error.h"

namespace sys {

std::string ClassLibraryText(const std::vector<std::pair<vb::String, vb::String>>& classes) {
  std::string text = std::string(kClassLibraryTag) + "\n";
  for (const auto& [prog_id, class_id] : classes) text += vb::ToUtf8(prog_id) + "\t" + vb::ToUtf8(class_id) + "\n";
  return text;
}

bool RegisterServer(vb::StringView library_path) {
  try {
    std::istringstream lines(fs::ReadAllBytes(library_path));
    std::string line;
    if (!std::getline(lines, line) || line != kClassLibraryTag) return false;
    std::string host = fs::ToHostPath(fs::FullPath(library_path)).string();
    std::vector<com::RegistryRecord> records;
    while (std::getline(lines, line)) {
      size_t tab = line.find('\t');
      if (tab == std::string::npos || tab == 0) continue;
      records.push_back({vb::FromUtf8(line.substr(0, tab)), vb::FromUtf8(line.substr(tab + 1)), host});
    }
    if (records.empty()) return false;
    com::WriteRegistry(records, {});
    return true;
  } catch (const std::exception&) {  // unreadable library, unwritable registry: regsvr32 fails
    return false;
  }
}

}  // namespace sys
