#include "maintenance/private_files.h"

#include <cstdio>
#include <random>

#include "common/kesra_file_backup.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "platform/ado/jro.h"
#include "platform/fs/folders.h"
#include "platform/fs/paths.h"
#include "platform/vb/convert.h"

namespace qe {

vb::String PrivateName(vb::StringView prefix) {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(generator()));
  return vb::String(prefix) + vb::FromUtf8(digits);
}

vb::String CreatePrivateFolder(const vb::String& parent, vb::StringView prefix) {
  if (!KesraFolderExist(parent) && !KesraFolderCreate(parent)) vb::Raise(vb::kPathNotFound);
  for (;;) {
    vb::String folder = parent + u"\\" + PrivateName(prefix);
    try {
      fs::CreateDirectory(folder);
      return folder;
    } catch (const vb::Error& e) {
      if (e.Number() != vb::kFileAlreadyExists) throw;
    }
  }
}

vb::String CreateBackupFolder(vb::Variant& Server, vb::StringView label) {
  try {
    vb::String parent = MapPathWithoutDrive(Server, u"/AutoBackup");
    if (!KesraFolderExist(parent) && !KesraFolderCreate(parent)) return {};
    vb::String dated = parent + u"\\" + vb::String(label) + KesraBackupTimeName();
    for (int n = 1; n < 1000; ++n) {
      vb::String folder = n == 1 ? dated : dated + u"_" + vb::CStr(vb::Variant(int32_t{n}));
      try {
        fs::CreateDirectory(folder);
        return folder;
      } catch (const vb::Error& e) {
        if (e.Number() != vb::kFileAlreadyExists) return {};
      }
    }
  } catch (const vb::Error&) {
  }
  return {};
}

void PutDatabaseInPlace(const vb::String& target, const vb::String& built) {
  ado::ReplaceDatabase(fs::ToHostPath(target), fs::ToHostPath(built));
}

}  // namespace qe
