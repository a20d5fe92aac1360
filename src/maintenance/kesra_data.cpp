// Backing up, restoring, clearing and creating the main database.
#include "maintenance/kesra_data.h"

#include <algorithm>
#include <filesystem>

#include "common/kesra_dates.h"
#include "common/kesra_error_page.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "common/sql_literal.h"
#include "maintenance/data_names.h"
#include "maintenance/kesra_class_access.h"
#include "maintenance/live_files.h"
#include "maintenance/maintenance_lock.h"
#include "maintenance/private_files.h"
#include "maintenance/sql_server_catalog.h"
#include "platform/ado/database_file.h"
#include "platform/ado/jro.h"
#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/fs/folders.h"
#include "platform/fs/paths.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "shell/qe_config.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

constexpr char16_t kDataFolder[] = u"/data";
constexpr char16_t kBackupParent[] = u"/data_backup";
constexpr char16_t kDefaultDataFiles[] = u"qe.asp";
constexpr char16_t kRestoreSafetyLabel[] = u"【数据恢复自动备份】";
constexpr char16_t kAccessStructure[] = u"../Comm/Data_Mdb.mdb";
constexpr char16_t kSqlServerScript[] = u"../Comm/Data_Sql.mdb";
constexpr char16_t kSqlServerCatalog[] = u"Qe";

// Messages pages and operators know; kept exactly.
constexpr char16_t kBackupBadList[] = u"参数错误，备份失败！";
constexpr char16_t kBadParameters[] = u"参数错误！";
constexpr char16_t kAccessFormat[] =
    u"请按如下格式输入[系统数据库文件路径$备份文件保存路径$备份文件列表（之间用|隔开）]！";
constexpr char16_t kBackupExists[] = u"备份目录已存在，备份失败！";
constexpr char16_t kBackupNotCreated[] = u"不能创建备份目录，备份失败！";
constexpr char16_t kFilesNotBackedUp[] = u"文件没有备份！";
constexpr char16_t kBackupMissing[] = u"备份目录不存在，恢复失败！";
constexpr char16_t kFilesNotRestored[] = u"文件没有恢复！";
constexpr char16_t kFoldersNotCleared[] = u"文件夹未清理！";
constexpr char16_t kCannotConnect[] = u"数据库连接参数错误，不能打开！";

bool Refuse(vb::Variant& Response, const vb::String& message) {
  KesraShowErrorPageWithoutData(Response, message, false, u"");
  return false;
}

bool IsAccess(const vb::String& p_DataType) { return vb::LCase(p_DataType) == u"access"; }

// The error page for the names of the list that failed: 【a】【b】.
bool RefuseNames(vb::Variant& Response, const vb::String& message, const std::vector<vb::String>& failed) {
  vb::String text = message;
  for (const vb::String& name : failed) text += u"【" + name + u"】";
  return Refuse(Response, text);
}

bool AllPlainPieces(const std::vector<vb::String>& names) {
  for (const vb::String& name : names)
    if (!IsPlainPathPiece(name)) return false;
  return true;
}

vb::String FilePath(const vb::String& folder, const vb::String& name) {
  return vb::Replace(folder + u"\\" + name, u"\\\\", u"\\");
}

bool IsDatabase(const vb::String& path) { return ado::IsDatabaseFile(fs::ToHostPath(path)); }

// Copies one data file into a folder of copies: a database as it stood at one
// moment while pages may be writing to it (no torn copy), any other file as
// it is. Nothing is left of a copy that failed.
bool CopyAside(const vb::String& source, const vb::String& destination) {
  try {
    if (!KesraFileExist(source, 0)) return false;
    if (!IsDatabase(source)) return KesraFileCopyMove(source, destination, u"copy", u"") == kFileOperationDone;
    ado::CopyDatabase(fs::ToHostPath(source), fs::ToHostPath(destination));
    return true;
  } catch (const vb::Error&) {
    KesraFileDelete(destination, false);
    return false;
  }
}

// A backed-up file may take a live file's place only when it is a database
// and, where the live file is one, a database of the same tables.
bool FitsInPlace(const vb::String& saved, const vb::String& live) {
  try {
    if (!KesraFileExist(saved, 0) || !IsDatabase(saved)) return false;
    if (!KesraFileExist(live, 0) || !IsDatabase(live)) return true;
    return ado::DatabaseTableNames(fs::ToHostPath(saved)) == ado::DatabaseTableNames(fs::ToHostPath(live));
  } catch (const vb::Error&) {
    return false;
  }
}

// Deletes a folder as one step: it leaves its name by one rename, to scratch
// at the site's root that is then removed, so a kill never leaves a folder
// under its name (a backup, say) with part of its files gone.
bool DeleteFolderWhole(vb::Variant& Server, const vb::String& folder) {
  if (!KesraFolderExist(folder)) return KesraFolderDelete(folder);
  const vb::String doomed = FilePath(MapPathWithoutDrive(Server, u"/"), PrivateName(u"clear-"));
  std::error_code error;
  std::filesystem::rename(fs::ToHostPath(folder), fs::ToHostPath(doomed), error);
  if (error) return KesraFolderDelete(folder);
  StopPoint("renamed");
  KesraFolderDelete(doomed);
  return true;
}

// The mapped folders and the file names of an Access list, or an empty data
// folder when a name would leave its folder or the data folder is not the
// site's (a mapping error counts as such).
struct AccessPaths {
  vb::String data_folder, backup_folder;
  std::vector<vb::String> names;
};

AccessPaths MapAccessList(vb::Variant& Server, const std::vector<vb::String>& fields) {
  AccessPaths paths;
  try {
    paths.names = vb::SplitParts(fields[2].empty() ? vb::String(kDefaultDataFiles) : fields[2], u"|");
    if (!IsPlainPathPiece(fields[1]) || !AllPlainPieces(paths.names)) return {};
    vb::String mapped = KesraGetFileRealFullName(Server, fields[0]);
    if (!IsInsideSite(Server, mapped, true)) return {};
    paths.backup_folder = JoinedFolder(Server, vb::String(kBackupParent) + u"\\" + fields[1]);
    paths.data_folder = mapped;
  } catch (const vb::Error&) {
    return {};
  }
  return paths;
}

bool AccessBackup(vb::Variant& Response, vb::Variant& Server, std::vector<vb::String> fields) {
  if (fields[0].empty()) fields[0] = kDataFolder;
  if (fields[1].empty()) fields[1] = KesraGetDateTime();
  AccessPaths paths = MapAccessList(Server, fields);
  if (paths.data_folder.empty()) return Refuse(Response, kAccessFormat);
  if (KesraFolderExist(paths.backup_folder)) return Refuse(Response, kBackupExists);
  RemoveAbandonedSiteScratch(Server);
  // Filled under a private name and named when complete: a folder under its
  // final name is a whole backup.
  vb::String built;
  try {
    built = CreatePrivateFolder(paths.backup_folder.substr(0, paths.backup_folder.rfind(u'\\')), u"backup-");
  } catch (const vb::Error&) {
    return Refuse(Response, kBackupNotCreated);
  }
  std::vector<vb::String> failed;
  for (const vb::String& name : paths.names)
    if (!CopyAside(FilePath(paths.data_folder, name), FilePath(built, name))) failed.push_back(name);
  // The files copied before a failure are whole and stay, as they always did.
  if (!fs::PublishFolder(built, paths.backup_folder)) {
    KesraFolderDelete(built);
    if (failed.empty()) return Refuse(Response, kBackupExists);
  }
  if (!failed.empty()) return RefuseNames(Response, kFilesNotBackedUp, failed);
  return true;
}

bool AccessRestore(vb::Variant& Response, vb::Variant& Server, const std::vector<vb::String>& fields) {
  if (fields[0].empty() || fields[1].empty()) return Refuse(Response, kAccessFormat);
  AccessPaths paths = MapAccessList(Server, fields);
  if (paths.data_folder.empty()) return Refuse(Response, kAccessFormat);
  if (!KesraFolderExist(paths.backup_folder)) return Refuse(Response, kBackupMissing);
  // What each restored file replaces is kept and published first (a file
  // whose copy could not be made stays as it is); then each is replaced.
  // The live files are looked at under their write locks: no commit is
  // under way then, so the look never waits on busy writers.
  RemoveAbandonedSiteScratch(Server);
  LiveFileReplacement files(Server, paths.data_folder, paths.names, kRestoreSafetyLabel);
  std::vector<bool> kept;
  for (size_t i = 0; i < files.Size(); ++i) {
    const vb::String& name = paths.names[i];
    kept.push_back(FitsInPlace(FilePath(paths.backup_folder, name), files.LivePath(i)) && files.Keep(i));
    if (!kept.back()) files.Release(i);
  }
  files.Publish();
  std::vector<vb::String> restored;
  for (size_t i = 0; i < files.Size(); ++i) {
    try {
      if (!kept[i]) continue;
      files.Replace(i, FilePath(paths.backup_folder, paths.names[i]));
      restored.push_back(paths.names[i]);
    } catch (const vb::Error&) {
    }
    files.Release(i);
  }
  std::vector<vb::String> failed;
  for (const vb::String& name : paths.names)
    if (std::find(restored.begin(), restored.end(), name) == restored.end()) failed.push_back(name);
  if (!failed.empty()) return RefuseNames(Response, kFilesNotRestored, failed);
  return true;
}

bool SqlServerBackup(vb::Variant& Response, vb::Variant& Server, const std::vector<vb::String>& fields) {
  for (int i = 0; i <= 4; ++i)
    if (fields[i].empty()) return Refuse(Response, kBadParameters);
  if (!IsPlainPathPiece(fields[0]) || !IsPlainPathPiece(fields[1])) return Refuse(Response, kBadParameters);
  vb::String folder;
  try {
    folder = JoinedFolder(Server, vb::String(kBackupParent) + u"\\" + fields[0]);
    KesraFolderCreate(folder);
  } catch (const vb::Error&) {
    return Refuse(Response, kBadParameters);
  }
  // BACKUP cannot run inside a transaction: it runs on its own.
  try {
    SqlServerConnection link;
    com::Call(link.conn, u"Open",
              u"driver={sql server};server=" + ConnectionValue(fields[3]) + u";database=" + ConnectionValue(fields[2]) +
                  u";persist security info=false;",
              fields[4], fields[5]);
    com::Call(link.conn, u"Execute",
              u"backup database " + SqlServerName(fields[2]) + u" to disk=" + SqlText(folder + u"\\" + fields[1]));
    return true;
  } catch (const vb::Error&) {
    return false;
  }
}

bool SqlServerRestore(vb::Variant& Response, vb::Variant& Server, const std::vector<vb::String>& fields) {
  if (fields[0].empty() || fields[2].empty() || fields[3].empty() || fields[4].empty())
    return Refuse(Response, kBadParameters);
  if (!IsPlainPathPiece(fields[0]) || (!fields[1].empty() && !IsPlainPathPiece(fields[1])))
    return Refuse(Response, kBadParameters);
  vb::String file = JoinedFolder(Server, vb::String(kBackupParent) + u"\\" + fields[0] + u"\\" + fields[1]);
  SqlServerConnection link;
  com::Call(link.conn, u"Open",
            u"Provider=SQLOLEDB.1;Persist Security Info=False;server=" + ConnectionValue(fields[3]) +
                u";Initial Catalog=master;Data Source=" + ConnectionValue(fields[3]) +
                u";user id=" + ConnectionValue(fields[4]) + u";password=" + ConnectionValue(fields[5]));
  EndSessions(link.conn, fields[2]);
  com::Call(link.conn, u"Execute",
            u"Restore Database " + SqlServerName(fields[2]) + u" From Disk=" + SqlText(file) + u"  with REPLACE");
  return true;
}

}  // namespace

bool KesraDataBackup(vb::Variant& Response, vb::Variant&, vb::Variant& Server, vb::String p_DataType,
                     vb::String p_DataParaList) {
  MaintenanceRun run(Server);
  if (!run.Held()) return Refuse(Response, kMaintenanceBusy);
  if (vb::Trim(p_DataParaList).empty()) return Refuse(Response, kBackupBadList);
  std::vector<vb::String> fields = vb::SplitParts(p_DataParaList, u"$");
  bool access = IsAccess(p_DataType);
  if (fields.size() < (access ? 3u : 6u)) return Refuse(Response, kBackupBadList);
  return access ? AccessBackup(Response, Server, fields) : SqlServerBackup(Response, Server, fields);
}

bool KesraDataRestore(vb::Variant& Response, vb::Variant&, vb::Variant& Server, vb::String p_DataType,
                      vb::String p_DataParaList) {
  MaintenanceRun run(Server);
  if (!run.Held()) return Refuse(Response, kMaintenanceBusy);
  if (vb::Trim(p_DataParaList).empty()) return Refuse(Response, kBadParameters);
  std::vector<vb::String> fields = vb::SplitParts(p_DataParaList, u"$");
  bool access = IsAccess(p_DataType);
  if (fields.size() < (access ? 3u : 6u)) return Refuse(Response, kBadParameters);
  return access ? AccessRestore(Response, Server, fields) : SqlServerRestore(Response, Server, fields);
}

bool KesraDataClear(vb::Variant& Response, vb::Variant&, vb::Variant& Server, vb::String p_PathList) {
  // Never while another run may still need a backup it made.
  MaintenanceRun run(Server);
  if (!run.Held()) return Refuse(Response, kMaintenanceBusy);
  std::vector<vb::String> failed;
  for (const vb::String& entry : vb::SplitParts(p_PathList, u"|")) {
    if (entry.empty()) continue;
    bool cleared = false;
    try {
      // A name without a drive is a folder of the site, from its root.
      vb::String folder = entry.find(u':') != vb::String::npos
                              ? entry
                              : vb::CStr(com::Call(Server, u"MapPath",
                                                   entry[0] == u'/' || entry[0] == u'\\' ? entry : u"/" + entry));
      cleared = IsInsideSite(Server, folder, false) && DeleteFolderWhole(Server, folder);
    } catch (const vb::Error&) {
    }
    if (!cleared) failed.push_back(entry);
  }
  if (!failed.empty()) return RefuseNames(Response, kFoldersNotCleared, failed);
  return true;
}

bool KesraDataCreateInit(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::Variant& Application,
                         vb::String p_DataType, vb::String p_DataConnectionStringList, bool p_OverWrite) {
  // An existing main file is kept without a word, and without a wait.
  auto kept = [&] { return IsAccess(p_DataType) && !p_OverWrite && KesraFileExist(QeGetDataFullName(Server), 0); };
  if (kept()) return false;
  MaintenanceRun run(Server);
  if (!run.Held()) return Refuse(Response, kMaintenanceBusy);
  if (IsAccess(p_DataType)) {
    if (kept()) return false;  // made meanwhile
    auto access = std::make_shared<Kesra_Class_Access>();
    return access->KesraAccessRepair(Response, Request, Server, Application, kDataFolder, p_DataConnectionStringList,
                                     kAccessStructure, 3, false, u"");
  }
  std::vector<vb::String> fields = vb::SplitParts(p_DataConnectionStringList, u"$");
  if (fields.size() < 3) vb::Raise(vb::kSubscriptOutOfRange);
  if (KesraCreateMdfFromSql(Response, Request, Server, Application, kSqlServerCatalog, kDataFolder, fields[0],
                            fields[1], fields[2], kSqlServerScript, p_OverWrite))
    return true;
  if (!asp::ResponseEnded(Response)) Refuse(Response, kCannotConnect);
  return false;
}

}  // namespace qe
