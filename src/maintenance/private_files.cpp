#include "maintenance/private_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "common/kesra_file_backup.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "common/private_site_files.h"
#include "platform/ado/database_file.h"
#include "platform/ado/journal_files.h"
#include "platform/ado/jro.h"
#include "platform/fs/folders.h"
#include "platform/fs/paths.h"
#include "platform/fs/file_write.h"
#include "platform/vb/convert.h"

namespace qe {
namespace {

constexpr char16_t kAutoBackup[] = u"/AutoBackup";

// What a scratch name says after its owner: "backup-…", "replace-…".
std::string_view WhatOf(std::string_view name) {
  const size_t dash = name.find('-', sizeof fs::kScratchMarker - 1);
  return dash == std::string_view::npos ? std::string_view() : name.substr(dash + 1);
}

// Abandoned scratch of this name is a backup folder that a kill kept from
// being published: ".qe-tmp-PID.START-backup-FINAL-DIGITS".
constexpr char16_t kBackupScratch[] = u"backup";
constexpr char kJournalEnd[] = "-journal";
// A note in "/temp" naming a folder where a run makes scratch: "place-…".
constexpr char kPlaceNote[] = "place-";

// The final name carried by a backup folder's scratch name; "" for other scratch.
std::string FinalNameOf(const std::string& name) {
  const std::string marker = std::string("-") + "backup" + "-";
  size_t at = name.find(marker, sizeof fs::kScratchMarker - 1);
  if (at == std::string::npos || name.size() < at + marker.size() + 17) return {};
  return name.substr(at + marker.size(), name.size() - at - marker.size() - 17);
}

// Temporaries from before they carried a process number: maintenance
// scratch ("compact-0123456789abcdef.mdb", a "rebuild-…" folder), a new
// file's, an archive's (with the engine's own beside it), an unpacking's, a
// database's copied across file systems. Nothing makes them any more.
bool IsEarlierTemporary(const std::string& name) {
  static const std::regex kEarlier(
      "(compact-|snapshot-|rebuild-|\\.export-|\\.restore-|\\.repair-)[0-9a-f]{16}(\\.mdb)?(-journal)?|"
      "\\.qe-new-[[:alnum:]]{6}|\\.qe-zip-[0-9a-f]{16}(\\.[[:alnum:]]{6})?|\\.qe-extract-[[:alnum:]]{6}|.+\\.qe-new");
  return std::regex_match(name, kEarlier);
}

void SyncFile(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// The files of a folder, by name, with their sizes.
std::map<std::string, uintmax_t> FilesIn(const std::filesystem::path& folder) {
  std::map<std::string, uintmax_t> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    files[entry.path().filename().string()] = entry.is_regular_file(error) ? entry.file_size(error) : 0;
  return files;
}

// An abandoned backup folder that holds only whole databases holds the
// only copy of what a killed run may have replaced: it is published, or
// removed when a published twin already holds the same files. False when
// it is no such folder (partial, or other scratch) and may go.
bool RecoverBackup(const std::filesystem::path& scratch) {
  const std::string final_name = FinalNameOf(scratch.filename().string());
  std::error_code error;
  if (final_name.empty() || !std::filesystem::is_directory(scratch, error)) return false;
  const auto files = FilesIn(scratch);
  if (files.empty()) return false;
  for (const auto& [name, size] : files)
    if (!ado::IsWholeDatabaseFile(scratch / name)) return false;
  const std::filesystem::path parent = scratch.parent_path();
  for (int n = 1; n < 1000; ++n) {
    const std::filesystem::path named = parent / (n == 1 ? final_name : final_name + "_" + std::to_string(n));
    if (std::filesystem::exists(named, error)) {
      if (FilesIn(named) == files) return false;
      continue;
    }
    return fs::PublishHostFolder(scratch, named);
  }
  return true;  // no name left: kept as it is
}

// Clears the abandoned scratch of `folder`; with `follow_notes`, also that of
// the folders named by the abandoned notes in it.
void RemoveAbandonedIn(const std::filesystem::path& folder, bool follow_notes) {
  std::error_code error;
  std::vector<std::filesystem::path> abandoned = fs::AbandonedScratchIn(folder), journals;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (IsEarlierTemporary(name)) abandoned.push_back(entry.path());
    else if (!fs::ScratchOwnerOf(name) && name.ends_with(kJournalEnd)) journals.push_back(entry.path());
  }
  for (const auto& path : abandoned) {
    if (follow_notes && WhatOf(path.filename().string()).starts_with(kPlaceNote)) {
      std::ifstream note(path);
      std::string noted;
      std::error_code ignored;
      if (std::getline(note, noted) && std::filesystem::is_directory(noted, ignored) && IsInsideMappedDrive(noted))
        RemoveAbandonedIn(noted, false);
    }
    if (!RecoverBackup(path)) std::filesystem::remove_all(path, error);
  }
  for (const auto& journal : journals) ado::SettleJournal(journal);
}

}  // namespace

vb::String PrivateName(vb::StringView what) { return vb::FromUtf8(fs::ScratchName(vb::ToUtf8(what))); }

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

void RemoveAbandonedScratch(const std::filesystem::path& folder) { RemoveAbandonedIn(folder, true); }

void RemoveAbandonedSiteScratch(vb::Variant& Server) {
  for (const char16_t* folder : {u"/", u"/data", u"/temp", kAutoBackup, u"/data_backup"}) {
    try {
      if (auto host = fs::ResolveExisting(MapPathWithoutDrive(Server, folder))) RemoveAbandonedScratch(*host);
    } catch (const vb::Error&) {
    }
  }
}

BackupFolder::BackupFolder(const vb::String& parent, vb::StringView final_name)
    : parent_(parent), final_name_(final_name) {
  try {
    path_ = CreatePrivateFolder(parent_, vb::String(kBackupScratch) + u"-" + final_name_ + u"-");
  } catch (const vb::Error&) {
    path_.clear();
  }
}

BackupFolder::BackupFolder(vb::Variant& Server, vb::StringView label) {
  try {
    parent_ = MapPathWithoutDrive(Server, kAutoBackup);
    final_name_ = vb::String(label) + KesraBackupTimeName();
    path_ = CreatePrivateFolder(parent_, vb::String(kBackupScratch) + u"-" + final_name_ + u"-");
  } catch (const vb::Error&) {
    path_.clear();
  }
}

BackupFolder::~BackupFolder() {
  try {
    Publish();
  } catch (const vb::Error&) {
  }
}

bool BackupFolder::Put(const vb::String& name, const std::function<void(const vb::String&)>& copy) {
  if (path_.empty()) return false;
  // Once published, the copy is made beside the folder and renamed into it.
  const vb::String made = published_ ? parent_ + u"\\" + PrivateName(u"put-") : path_ + u"\\" + name;
  try {
    KesraFileDelete(made, false);
    copy(made);
    if (published_) {
      const auto host = fs::ToHostPath(made);
      SyncFile(host);
      std::filesystem::rename(host, fs::ToHostPath(path_ + u"\\" + name));
      SyncFile(fs::ToHostPath(path_));
    }
    return true;
  } catch (const std::filesystem::filesystem_error& e) {
    KesraFileDelete(made, false);
    vb::Raise(vb::kPathFileAccessError, vb::FromUtf8(e.what()));
  } catch (const vb::Error&) {
    KesraFileDelete(made, false);
    throw;
  }
}

bool BackupFolder::Publish(bool exact) {
  if (path_.empty() || published_) return published_;
  std::error_code error;
  auto host = fs::ToHostPath(path_);
  if (std::filesystem::is_empty(host, error)) {
    std::filesystem::remove(host, error);
    path_.clear();
    return false;
  }
  for (int n = 1; n < (exact ? 2 : 1000); ++n) {
    vb::String named = parent_ + u"\\" + (n == 1 ? final_name_ : final_name_ + u"_" + vb::CStr(vb::Variant(int32_t{n})));
    if (fs::PublishFolder(path_, named)) {
      path_ = named;
      published_ = true;
      return true;
    }
  }
  return false;
}

ScratchPlace::ScratchPlace(vb::Variant& Server, const vb::String& folder) {
  try {
    const vb::String temp = MapPathWithoutDrive(Server, u"/temp");
    if (!KesraFolderExist(temp) && !KesraFolderCreate(temp)) return;
    const vb::String note = temp + u"\\" + PrivateName(vb::FromUtf8(kPlaceNote));
    fs::CreateNewFile(note, fs::ToHostPath(folder).string() + "\n");
    note_ = note;
  } catch (const vb::Error&) {
    // Without a note, what a kill leaves there waits for a run into the same folder.
  }
}

ScratchPlace::~ScratchPlace() {
  if (!note_.empty()) KesraFileDelete(note_, false);
}

void PutDatabaseInPlace(const vb::String& target, const vb::String& built) {
  ado::ReplaceDatabase(fs::ToHostPath(target), fs::ToHostPath(built));
}

}  // namespace qe
