// Compaction of database files: each file is copied as it stands into a
// backup folder, compacted from that copy into a private scratch file, and
// the compacted pages are put into the file under its lock, unless something
// was written to it meanwhile (then it starts over, holding off writers).
#include <optional>

#include "common/kesra_error_page.h"
#include "common/kesra_file_backup.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "maintenance/kesra_class_access.h"
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
// `snapshot`: where the copy that is compacted goes (a backup, or a scratch
// file that is removed after).
bool CompactDatabaseFile(const vb::String& file, const vb::String& snapshot, bool snapshot_is_scratch,
                         const vb::String& scratch_folder) {
  const auto host = fs::ToHostPath(file);
  vb::String scratch;
  try {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      std::optional<ado::DatabaseWriteLock> writers_wait;
      if (attempt > 0) writers_wait.emplace(host);
      RemoveFile(snapshot);
      ado::ChangeCounter counter = ado::CopyDatabase(host, fs::ToHostPath(snapshot));
      scratch = scratch_folder + u"\\" + PrivateName(u"compact-") + u".mdb";
      com::Call(vb::Variant(com::CreateObject(u"JRO.JetEngine")), u"CompactDatabase", JetSource(snapshot),
                JetSource(scratch));
      // Held since before the copy, the lock leaves nothing to check; else
      // the counter tells whether a writer came in meanwhile.
      bool swapped = writers_wait && writers_wait->Replace(fs::ToHostPath(scratch));
      writers_wait.reset();
      if (!swapped) swapped = ado::ReplaceDatabaseIfUnchanged(host, fs::ToHostPath(scratch), counter);
      RemoveFile(scratch);
      scratch.clear();
      if (swapped) {
        if (snapshot_is_scratch) RemoveFile(snapshot);
        return true;
      }
    }
  } catch (const vb::Error&) {
    RemoveFile(scratch);
    if (snapshot_is_scratch) RemoveFile(snapshot);
    throw;
  }
  if (snapshot_is_scratch) RemoveFile(snapshot);
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
  // Made with the first file there is to back up, published at the end.
  std::optional<AutoBackupFolder> backup_folder;
  bool backup_made = !backup;
  vb::String failed;
  for (const vb::String& name : vb::SplitParts(file_list, u"|")) {
    vb::String file = vb::Replace(folder + u"\\" + name, u"\\\\", u"\\");
    bool compacted = false;
    if (KesraFileExist(file, 0)) {
      if (!backup_made) backup_folder.emplace(Server, kBackupLabel);
      backup_made = true;
      bool into_backup = backup_folder && !backup_folder->Path().empty();
      vb::String snapshot = into_backup ? backup_folder->Path() + u"\\" + name
                                        : scratch_folder + u"\\" + PrivateName(u"snapshot-") + u".mdb";
      compacted = CompactDatabaseFile(file, snapshot, !into_backup, scratch_folder);
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
