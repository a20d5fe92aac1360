#include "maintenance/private_files.h"

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "common/kesra_file_backup.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "platform/ado/jro.h"
#include "platform/fs/folders.h"
#include "platform/fs/paths.h"
#include "platform/sys/process_ids.h"
#include "platform/vb/convert.h"

namespace qe {
namespace {

constexpr char16_t kAutoBackup[] = u"/AutoBackup";

// The process a scratch name belongs to; 0 when the name is no scratch name.
int OwnerOf(const std::string& name) {
  constexpr size_t kPrefixLength = sizeof kScratchPrefix - 1;
  if (name.compare(0, kPrefixLength, kScratchPrefix) != 0) return 0;
  size_t end = name.find('-', kPrefixLength);
  if (end == std::string::npos || end == kPrefixLength || end - kPrefixLength > 9) return 0;
  int pid = 0;
  for (size_t i = kPrefixLength; i < end; ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    pid = pid * 10 + (name[i] - '0');
  }
  return pid;
}

}  // namespace

vb::String PrivateName(vb::StringView what) {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(generator()));
  return vb::FromUtf8(kScratchPrefix + std::to_string(sys::CurrentProcessId()) + "-") + vb::String(what) + vb::FromUtf8(digits);
}

vb::String PrivateNameBeside(const vb::String& path, vb::StringView what) {
  size_t slash = path.find_last_of(u"\\/");
  return (slash == vb::String::npos ? vb::String() : path.substr(0, slash + 1)) + PrivateName(what);
}

vb::String CreatePrivateFolder(const vb::String& parent, vb::StringView what) {
  if (!KesraFolderExist(parent) && !KesraFolderCreate(parent)) vb::Raise(vb::kPathNotFound);
  for (;;) {
    vb::String folder = parent + u"\\" + PrivateName(what);
    try {
      fs::CreateDirectory(folder);
      return folder;
    } catch (const vb::Error& e) {
      if (e.Number() != vb::kFileAlreadyExists) throw;
    }
  }
}

void RemoveAbandonedScratch(const std::filesystem::path& folder) {
  std::error_code error;
  std::vector<std::filesystem::path> abandoned;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    pid_t owner = OwnerOf(entry.path().filename().string());
    if (owner > 0 && !sys::IsProcessRunning(owner)) abandoned.push_back(entry.path());
  }
  for (const auto& path : abandoned) std::filesystem::remove_all(path, error);
}

void RemoveAbandonedSiteScratch(vb::Variant& Server) {
  for (const char16_t* folder : {u"/data", u"/temp", kAutoBackup, u"/data_backup"}) {
    try {
      if (auto host = fs::ResolveExisting(MapPathWithoutDrive(Server, folder))) RemoveAbandonedScratch(*host);
    } catch (const vb::Error&) {
    }
  }
}

AutoBackupFolder::AutoBackupFolder(vb::Variant& Server, vb::StringView label) : label_(label) {
  try {
    parent_ = MapPathWithoutDrive(Server, kAutoBackup);
    path_ = CreatePrivateFolder(parent_, u"backup-");
  } catch (const vb::Error&) {
    path_.clear();
  }
}

AutoBackupFolder::~AutoBackupFolder() {
  try {
    Publish();
  } catch (const vb::Error&) {
  }
}

void AutoBackupFolder::Publish() {
  if (path_.empty()) return;
  vb::String built = path_;
  path_.clear();
  std::error_code error;
  auto host = fs::ToHostPath(built);
  if (std::filesystem::is_empty(host, error)) {
    std::filesystem::remove(host, error);
    return;
  }
  vb::String dated = parent_ + u"\\" + label_ + KesraBackupTimeName();
  for (int n = 1; n < 1000; ++n)
    if (fs::PublishFolder(built, n == 1 ? dated : dated + u"_" + vb::CStr(vb::Variant(int32_t{n})))) return;
}

void PutDatabaseInPlace(const vb::String& target, const vb::String& built) {
  ado::ReplaceDatabase(fs::ToHostPath(target), fs::ToHostPath(built));
}

}  // namespace qe
