#include "maintenance/private_files.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
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
#include "platform/vb/convert.h"

namespace qe {
namespace {

constexpr char16_t kAutoBackup[] = u"/AutoBackup";

// The process a scratch name belongs to; 0 when the name is no scratch name.
pid_t OwnerOf(const std::string& name) {
  constexpr size_t kPrefixLength = sizeof kScratchPrefix - 1;
  if (name.compare(0, kPrefixLength, kScratchPrefix) != 0) return 0;
  size_t end = name.find('-', kPrefixLength);
  if (end == std::string::npos || end == kPrefixLength || end - kPrefixLength > 9) return 0;
  pid_t pid = 0;
  for (size_t i = kPrefixLength; i < end; ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    pid = pid * 10 + (name[i] - '0');
  }
  return pid;
}

bool IsAlive(pid_t pid) { return pid == ::getpid() || ::kill(pid, 0) == 0 || errno == EPERM; }

}  // namespace

vb::String PrivateName(vb::StringView what) {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(generator()));
  return vb::FromUtf8(kScratchPrefix + std::to_string(::getpid()) + "-") + vb::String(what) + vb::FromUtf8(digits);
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
    if (owner > 0 && !IsAlive(owner)) abandoned.push_back(entry.path());
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
    if (PublishFolder(built, n == 1 ? dated : dated + u"_" + vb::CStr(vb::Variant(int32_t{n})))) return;
}

bool PublishFolder(const vb::String& built, const vb::String& target) {
  // Made durable before it is named: the name never stands for a folder
  // whose files a crash could still cut short.
  auto from = fs::ToHostPath(built);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(from, error)) {
    int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      ::fsync(fd);
      ::close(fd);
    }
  }
  auto to = fs::ToHostPath(target);
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

void PutDatabaseInPlace(const vb::String& target, const vb::String& built) {
  ado::ReplaceDatabase(fs::ToHostPath(target), fs::ToHostPath(built));
}

}  // namespace qe
