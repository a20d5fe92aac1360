// The three levels of database maintenance: 1 compacts; 2 rebuilds empty
// databases from the structure configuration and pours the backup into them;
// 3 rebuilds and seeds a fresh database.
//
// Levels 2 and 3 build and fill the new files in a private folder and put
// them in place only when all of them are ready and the backup of the live
// files is published, holding the live files' write locks from the backup
// to the swap (live_files.h): a failure before the swap leaves the live
// files as they were, and a page that writes meanwhile waits and then
// writes into the new file.
#include <memory>
#include <optional>

#include "common/kesra_error_page.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "maintenance/kesra_class_access.h"
#include "maintenance/live_files.h"
#include "maintenance/maintenance_lock.h"
#include "maintenance/main_schema_supply.h"
#include "maintenance/private_files.h"
#include "maintenance/table_rows.h"
#include "platform/ado/jro.h"
#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "platform/vb/strings.h"
#include "shell/new_database_file.h"
#include "shell/qe_application_data.h"
#include "shell/qe_config.h"
#include "shell/qe_data_init.h"

namespace qe {
namespace {

constexpr char16_t kBackupLabel[] = u"【数据库维护自动备份】";
constexpr char16_t kNoLevel[] = u"请先选择维护级别！";
constexpr char16_t kNoBackupLevel2[] = u" 数据备份出错，不能进行数据库二级维护！";
constexpr char16_t kNoBackupLevel3[] = u" 数据备份出错，不能进行数据库三级维护！";
constexpr char16_t kRebuildFailed[] = u" 根据根据原数据库结构生成新的空白的数据库出错，维护失败！";
constexpr char16_t kImportFailed[] = u" 向新生成数据库导入原数据出错，维护失败！";

// The configuration's form: the lower-cased text after the last ".".
vb::String ConfigType(const vb::String& config) {
  size_t dot = config.rfind(u'.');
  return vb::LCase(dot == vb::String::npos ? config : config.substr(dot + 1));
}

}  // namespace

bool Kesra_Class_Access::KesraAccessRepair(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                                           vb::Variant& Application, vb::String p_DataPath,
                                           vb::String p_DataNameList, vb::String p_ConfigFileFullName,
                                           uint8_t p_Level, bool p_CloseParent, vb::String p_DialogID) {
  auto refuse = [&](const vb::String& message) {
    KesraShowErrorPageWithoutData(Response, message, p_CloseParent, p_DialogID);
    return false;
  };
  // Nothing is touched for a level the maintenance form does not offer.
  if (p_Level < 1 || p_Level > 3) return refuse(kNoLevel);
  MaintenanceRun run(Server);
  if (!run.Held()) return refuse(kMaintenanceBusy);
  if (p_DataPath.empty()) p_DataPath = u"/data";
  p_DataPath = MapPathWithoutDrive(Server, p_DataPath);
  if (p_DataNameList.empty()) p_DataNameList = u"qe.asp";
  if (p_ConfigFileFullName.empty()) p_ConfigFileFullName = u"../Comm/Data_Mdb.mdb";
  p_ConfigFileFullName = MapPathWithoutDrive(Server, p_ConfigFileFullName);
  const std::vector<vb::String> names = vb::SplitParts(p_DataNameList, u"|");
  const vb::String compact_list = p_DataPath + u"$" + p_DataNameList;

  if (p_Level == 1) {
    // The compaction backs the files up once more and replaces them safely.
    {
      LiveFileReplacement files(Server, p_DataPath, names, kBackupLabel);
      for (size_t i = 0; i < files.Size(); ++i) files.Keep(i);
      files.Publish();
    }
    return KesraAccessCompact(Response, Request, Server, compact_list, false, false, u"");
  }

  RemoveAbandonedSiteScratch(Server);
  // What does not need the live data is made before writers are held off:
  // the new files, and at level 3 their seed.
  std::optional<BuiltDatabases> built;
  try {
    built = BuildFromConfig(Response, Server, p_ConfigFileFullName, ConfigType(p_ConfigFileFullName));
  } catch (const vb::Error&) {
  }
  struct RemoveFolder {
    vb::String folder;
    ~RemoveFolder() {
      if (!folder.empty()) KesraFolderDelete(folder);
    }
  } cleanup{built ? built->folder : vb::String()};
  // Only the listed files are replaced: each must be one the configuration builds.
  bool complete = built && built->compacted;
  for (const vb::String& name : names) {
    bool listed = false;
    if (built)
      for (const vb::String& b : built->names) listed |= vb::EqualsNoCase(b, name);
    complete &= listed;
  }
  auto made = [&](size_t i) { return built->folder + u"\\" + names[i]; };
  auto live = [&](size_t i) { return vb::Replace(p_DataPath + u"\\" + names[i], u"\\\\", u"\\"); };
  // Level 3 seeds the new main database before it takes the live one's
  // place: a crash leaves the old data or the seeded database, never an
  // empty one that nothing would seed again.
  bool seeded = p_Level != 3;
  // The rebuilt main database carries the schema's stamp: no mount has to
  // write it under a page's lock.
  for (size_t i = 0; complete && i < names.size(); ++i)
    if (vb::EqualsNoCase(live(i), QeGetDataFullName(Server))) StampIfCurrentSchema(made(i));
  if (!seeded && complete) {
    QeGetApplicationConnString(Response, Request, Server, Application, false, u"");
    if (asp::ResponseEnded(Response)) return false;
    for (size_t i = 0; i < names.size(); ++i)
      if (vb::EqualsNoCase(live(i), QeGetDataFullName(Server))) {
        QeDataSeed(Request, NewJetDatabaseConnectionString(made(i)));
        seeded = true;
      }
  }

  // Writers wait from here until the new files are in place; the backup of
  // what they replace is published before the first of them is.
  LiveFileReplacement files(Server, p_DataPath, names, kBackupLabel);
  bool backed_up = true;
  for (size_t i = 0; i < files.Size(); ++i) backed_up &= files.Keep(i);
  backed_up &= files.Publish();
  const vb::String backup = files.BackupPath();
  // Level 2 pours the backup back, so it needs one of every file; level 3
  // needs one of the files it replaces (a fresh site has none).
  if (p_Level == 2) {
    for (size_t i = 0; i < files.Size(); ++i) backed_up &= files.Exists(i);
    if (!backed_up || backup.empty()) return refuse(kNoBackupLevel2);
  } else if (!backed_up) {
    return refuse(kNoBackupLevel3);
  }
  if (!complete) return refuse(kRebuildFailed);

  if (p_Level == 2) {
    for (size_t i = 0; i < names.size(); ++i)
      if (!ImportWhole(backup + u"\\" + names[i], made(i))) return refuse(kImportFailed);
  }
  for (size_t i = 0; i < files.Size(); ++i) files.Replace(i, made(i));
  for (size_t i = 0; i < files.Size(); ++i) files.Release(i);

  if (!seeded) {
    QeDataInit(Response, Request, Server, Application);
    if (asp::ResponseEnded(Response)) return false;
  }
  return KesraAccessCompact(Response, Request, Server, compact_list, false, false, u"");
}

bool Kesra_Class_Access::ImportWhole(const vb::String& backup, const vb::String& rebuilt) {
  vb::Variant source, destination;
  struct Close {
    vb::Variant& a;
    vb::Variant& b;
    ~Close() {
      for (vb::Variant* v : {&a, &b}) {
        try {
          if (v->IsObject() && v->GetObject()) com::Call(*v, u"Close");
        } catch (const vb::Error&) {
        }
      }
    }
  } close{source, destination};
  try {
    source = OpenJetConnection(backup);
    destination = OpenJetConnection(rebuilt);
    vb::Variant from_catalog(com::CreateObject(u"ADOX.Catalog"));
    vb::Variant into_catalog(com::CreateObject(u"ADOX.Catalog"));
    com::SetRef(from_catalog, u"ActiveConnection", source);
    com::SetRef(into_catalog, u"ActiveConnection", destination);
    for (const vb::String& name : UserTableNames(into_catalog)) {
      if (vb::UCase(name).starts_with(u"TEMP_")) continue;
      std::optional<CatalogTable> from = FindUserTable(from_catalog, name);
      if (!from) continue;  // a table new to the structure stays empty
      CatalogTable into = ReadTable(into_catalog, name);
      if (from->columns.size() != into.columns.size()) return false;
      // Every column, numbers of autonumber columns included: rows keep
      // the keys that other tables refer to.
      RowTarget target{into.name, into.columns, std::nullopt, 0};
      com::Call(destination, u"BeginTrans");
      int64_t copied = 0;
      try {
        copied = CopyTableRows(source, destination, target);
        com::Call(destination, u"CommitTrans");
      } catch (const vb::Error&) {
        com::Call(destination, u"RollbackTrans");
        throw;
      }
      if (copied != CountRows(source, from->name)) return false;
    }
  } catch (const vb::Error&) {
    return false;
  }
  return true;
}

}  // namespace qe
