#include "maintenance/private_files.h"

#include <cstdio>
#include <random>

#include "common/kesra_file_operations.h"
#include "platform/ado/jro.h"
#include "platform/fs/folders.h"
#include "platform/fs/paths.h"

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

void PutDatabaseInPlace(const vb::String& target, const vb::String& built) {
  ado::ReplaceDatabase(fs::ToHostPath(target), fs::ToHostPath(built));
}

}  // namespace qe
