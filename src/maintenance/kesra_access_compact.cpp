// Compaction of database files: each file is copied as it stands into a
// backup folder, which is published; the copy is compacted into a private
// scratch file, which is renamed over the file under its lock, unless
// something was written to it meanwhile (then it starts over, holding off
// writers, and the backup's copy is made again).
#include <optional>

#include "common/kesra_error_page.h"
#include "common/kesra_file_backup.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "maintenance/kesra_class_access.h"
#include "maintenance/live_files.h"
#include "maintenance/maintenance_lock.h"
#include "maintenance/private_files.h"
#include "platform/ado/jro.h"
#include "platform/com/registry.h"
#include "platform/fs/folders.h"
#include "platform/fs/paths.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr char16_t kBackupLabel[] = u"【数据压缩维护自动备份】";
constexpr char16_t kScratchFolder[] = u"\\temp";
// The first try lets writers go on; the next holds them off from the copy to
// the swap, so a busy file is compacted too.
constexpr int kAttempts = 2;

vb::String JetSource(const vb::String& file) { return u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file; }

void RemoveFile(const vb::String& file) {
  if (!file.empty()) KesraFileDelete(file, false);
}

// Compacts one database file in place; false when writes kept coming in.
// `backup`: the run's backup folder, which gets the copy that is compacted
// and is published before the file is replaced; without one, that copy is a
// scratch file removed after.
bool CompactDatabaseFile(const vb::String& file, const vb::String& name, BackupFolder* backup,
                         const vb::String& scratch_folder) {
  const auto host = fs::ToHostPath(file);
  vb::String scratch, snapshot;
  struct RemoveScratch {
    vb::String& scratch;
    vb::String& snapshot;
    ~RemoveScratch() {
      RemoveFile(scratch);
      RemoveFile(snapshot);
    }
  } last{scratch, snapshot};
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::optional<ado::DatabaseWriteLock> writers_wait;
    if (attempt > 0) writers_wait.emplace(host);
    ado::ChangeCounter counter = 0;
    auto copy = [&](const vb::String& destination) { counter = ado::CopyDatabase(host, fs::ToHostPath(destination)); };
    vb::String copied;
    if (backup) {
      if (!backup->Put(name, copy) || !backup->Publish()) return false;
      copied = backup->Path() + u"\\" + name;
    } else {
      RemoveFile(snapshot);
      snapshot = scratch_folder + u"\\" + PrivateName(u"snapshot-") + u".mdb";
      copy(snapshot);
      copied = snapshot;
    }
    RemoveFile(scratch);
    scratch = scratch_folder + u"\\" + PrivateName(u"compact-") + u".mdb";
    com::Call(vb::Variant(com::CreateObject(u"JRO.JetEngine")), u"CompactDatabase", JetSource(copied),
              JetSource(scratch));
    // Held since before the copy, the lock leaves nothing to check; else
    // the counter tells whether a writer came in meanwhile.
    bool swapped = writers_wait && writers_wait->Replace(fs::ToHostPath(scratch));
    writers_wait.reset();
    if (!swapped) swapped = ado::ReplaceDatabaseIfUnchanged(host, fs::ToHostPath(scratch), counter);
    if (swapped) {
      scratch.clear();  // renamed into the file's place
      StopPoint("compacted");
      return true;
    }
  }
  return false;
}

}  // namespace

bool Kesra_Class_Access::KesraAccessCompact(vb::Variant& Response, vb::Variant&, vb::Variant& Server,
                                            vb::String p_DataParaList, bool p_ShowErrorInfo, bool p_CloseParent,
                                            vb::String p_DialogID) {
  std::vector<vb::String> parts = vb::SplitParts(p_DataParaList, u"$");
  if (vb::Trim(p_DataParaList).empty() || parts.size() < 2) {
    KesraShowErrorPageWithoutData(Response, u"参数错误，压缩失败！", p_CloseParent, p_DialogID);
    return false;
  }
  vb::String folder = parts[0].empty() ? vb::String(u"/data") : parts[0];
  folder = MapPathWithoutDrive(Server, folder);
  vb::String files = parts[1].empty() ? vb::String(u"qe.asp") : parts[1];
  if (folder.empty() || files.empty()) {
    KesraShowErrorPageWithoutData(
        Response, u"请按如下格式输入[要压缩的数据库文件路径$要压缩的数据库文件列表（之间用|隔开）]！", p_CloseParent,
        p_DialogID);
    return false;
  }
  MaintenanceRun run(Server);
  if (!run.Held()) {
    KesraShowErrorPageWithoutData(Response, kMaintenanceBusy, p_CloseParent, p_DialogID);
    return false;
  }
  return CompactFiles(Response, Server, folder, files, true, p_ShowErrorInfo, p_CloseParent, p_DialogID);
}

bool Kesra_Class_Access::CompactFiles(vb::Variant& Response, vb::Variant& Server, const vb::String& folder,
                                      const vb::String& file_list, bool backup, bool p_ShowErrorInfo,
                                      bool p_CloseParent, const vb::String& p_DialogID) {
  if (!KesraFolderExist(folder)) {
    KesraShowErrorPageWithoutData(Response, u"数据库路径错误，压缩失败！", p_CloseParent, p_DialogID);
    return false;
  }
  const vb::String scratch_folder = MapPathWithoutDrive(Server, kScratchFolder);
  if (!KesraFolderExist(scratch_folder) && !KesraFolderCreate(scratch_folder)) {
    if (p_ShowErrorInfo)
      KesraShowErrorPageWithoutData(Response, u"不能创建临时目录，压缩失败！", p_CloseParent, p_DialogID);
    return false;
  }
  RemoveAbandonedSiteScratch(Server);
  // Made with the first file there is to back up; published before the
  // first file is replaced.
  std::optional<BackupFolder> backup_folder;
  vb::String failed;
  for (const vb::String& name : vb::SplitParts(file_list, u"|")) {
    vb::String file = vb::Replace(folder + u"\\" + name, u"\\\\", u"\\");
    bool compacted = false;
    if (KesraFileExist(file, 0)) {
      if (backup && !backup_folder) backup_folder.emplace(Server, kBackupLabel);
      BackupFolder* into = backup_folder && !backup_folder->Path().empty() ? &*backup_folder : nullptr;
      compacted = CompactDatabaseFile(file, name, into, scratch_folder);
    }
    if (!compacted) failed += name + u"|";
  }
  if (vb::Trim(failed).empty()) return true;
  // A failed file fails the call; the flag only decides whether the page says so.
  if (p_ShowErrorInfo) {
    vb::String names = vb::Replace(vb::Left(failed, static_cast<int32_t>(failed.size()) - 1), u"|", u"】【");
    KesraShowErrorPageWithoutData(Response, u"【" + names + u"】文件没有压缩！", p_CloseParent, p_DialogID);
  }
  return false;
}

}  // namespace qe
