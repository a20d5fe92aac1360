// The rebuild of empty databases from a structure configuration.
#include <unordered_set>

#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "maintenance/kesra_class_access.h"
#include "maintenance/live_files.h"
#include "maintenance/maintenance_lock.h"
#include "maintenance/private_files.h"
#include "maintenance/structure_database.h"
#include "maintenance/structure_ini.h"
#include "platform/ado/database_file.h"
#include "platform/ado/errors.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "platform/fs/file_write.h"
#include "platform/vb/strings.h"
#include "shell/connection_transaction.h"
#include "shell/new_database_file.h"
#include "shell/qe_config.h"
#include "shell/qe_data_init.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

constexpr char16_t kBackupLabel[] = u"【数据库维护自动备份】";
constexpr char16_t kEngine[] = u"Microsoft JET Database Engine";
constexpr int32_t kShareDenyWrite = 8;
constexpr int32_t kJet4 = 2;

std::vector<ConfiguredDatabase> ReadDatabaseForm(const vb::String& config) {
  vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Let(conn, u"Mode", kShareDenyWrite);
  com::Call(conn, u"Open", u"Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=" + config);
  ClosedAtEnd closed(conn);
  // One read transaction: no writer changes the configuration under the run.
  std::vector<ConfiguredDatabase> databases;
  RunInTransaction(conn, [&] { databases = ReadStructureDatabase(conn); });
  return databases;
}

// One folder holds one file of a name: a configuration that names a database
// twice cannot be rebuilt into it.
void CheckDistinctNames(const std::vector<ConfiguredDatabase>& databases) {
  if (databases.empty()) vb::Raise(vb::kInvalidProcedureCall, u"The structure configuration lists no database.");
  std::unordered_set<vb::String, vb::NoCaseHash, vb::NoCaseEqual> names;
  for (const auto& db : databases)
    if (!names.insert(db.name).second)
      vb::Raise(vb::kInvalidProcedureCall, u"The structure configuration lists the database " + db.name + u" twice.");
}

bool HasUserTable(const vb::String& database) {
  for (const std::string& table : ado::DatabaseTableNames(fs::ToHostPath(database)))
    if (table == "user") return true;
  return false;
}

}  // namespace

bool Kesra_Class_Access::KesraAccessCreateFromConfig(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                                                     vb::String p_ConfigFileFullName, vb::String p_MdbFullPath,
                                                     vb::String p_ConfigFileType) {
  // Refused before any file is read or touched.
  if (p_ConfigFileType != u"ini" && p_ConfigFileType != u"mdb")
    vb::Raise(vb::kInvalidProcedureCall, u"The structure configuration's type must be \"ini\" or \"mdb\".");
  MaintenanceRun run(Server);
  if (!run.Held()) ado::RaiseProvider(ado::kEFail, kMaintenanceBusy, kEngine);
  if (p_ConfigFileFullName.empty())
    p_ConfigFileFullName = p_ConfigFileType == u"mdb" ? u"../Comm/Data_Mdb.mdb" : u"../Comm/Data_Ini.mdb";
  p_ConfigFileFullName = MapPathWithoutDrive(Server, p_ConfigFileFullName);
  if (p_MdbFullPath.empty()) p_MdbFullPath = u"/data";
  p_MdbFullPath = MapPathWithoutDrive(Server, p_MdbFullPath);

  // The files take the place of the target's only when all of them are
  // ready, and what they replace is kept first (live_files.h).
  BuiltDatabases built = BuildFromConfig(Response, Server, p_ConfigFileFullName, p_ConfigFileType);
  struct RemoveFolder {
    vb::String folder;
    ~RemoveFolder() { KesraFolderDelete(folder); }
  } cleanup{built.folder};
  if (!KesraFolderExist(p_MdbFullPath) && !KesraFolderCreate(p_MdbFullPath))
    vb::Raise(vb::kPathNotFound, p_MdbFullPath);
  if (!built.compacted) return false;
  LiveFileReplacement files(Server, p_MdbFullPath, built.names, kBackupLabel);
  for (size_t i = 0; i < files.Size(); ++i)
    if (!files.Keep(i)) vb::Raise(vb::kPathFileAccessError, files.LivePath(i));
  if (!files.Publish()) vb::Raise(vb::kPathFileAccessError, files.BackupPath());
  // The site's main database goes live seeded, as a new one is: an empty
  // one would let nobody log in, and the site seeds only a missing file.
  const vb::String main = QeGetDataFullName(Server);
  for (size_t i = 0; i < files.Size(); ++i) {
    const vb::String made = built.folder + u"\\" + built.names[i];
    if (vb::EqualsNoCase(files.LivePath(i), main) && HasUserTable(made))
      QeDataSeed(Request, NewJetDatabaseConnectionString(made));
  }
  for (size_t i = 0; i < files.Size(); ++i) files.Replace(i, built.folder + u"\\" + built.names[i]);
  return true;
}

Kesra_Class_Access::BuiltDatabases Kesra_Class_Access::BuildFromConfig(vb::Variant& Response, vb::Variant& Server,
                                                                       const vb::String& config,
                                                                       const vb::String& config_type) {
  std::vector<ConfiguredDatabase> databases;
  if (config_type == u"ini") {
    if (!fs::IsExistingFile(config)) vb::Raise(vb::kFileNotFound, config);
    databases = ReadStructureIni(sys::Profile::Load(config));
  } else {
    databases = ReadDatabaseForm(config);
  }
  CheckDistinctNames(databases);

  // Everything is built and compacted in a private folder.
  BuiltDatabases built;
  built.folder = CreatePrivateFolder(MapPathWithoutDrive(Server, u"\\temp"), u"rebuild-");
  try {
    for (const ConfiguredDatabase& db : databases) {
      DataBaseName(built.folder + u"\\" + db.name);
      SetDataBaseVer(kJet4);
      vb::String any_name = u" ";
      int32_t current_version = 0;
      bool overwrite = true;
      KesraAccessCreateDataBase(any_name, current_version, overwrite);
      // A file of our own until it is put in place: written once, at the end.
      vb::Variant conn = com::Call(m_Catalog, u"ActiveConnection");
      com::Call(conn, u"BeginTrans");
      for (const ConfiguredTable& table : db.tables) {
        KesraAccessCreateTable(table.name);
        for (const ConfiguredColumn& c : table.columns)
          KesraAccessAddField(c.name, c.type, c.defined_size, c.autoincrement, c.nullable, c.allow_zero_length,
                              c.description, c.default_value);
        for (const ConfiguredIndex& ix : table.indexes)
          KesraAccessCreateIndex(ix.name, ix.primary_key, ix.unique, ix.index_nulls, ix.field_list);
      }
      com::Call(conn, u"CommitTrans");
      built.names.push_back(db.name);
    }
    // The catalog lets go of the last file built.
    Class_Terminate();
    Class_Initialize();
    vb::String names;
    for (const vb::String& name : built.names) names += (names.empty() ? u"" : u"|") + name;
    built.compacted = CompactFiles(Response, Server, built.folder, names, false, false, false, u"");
  } catch (const vb::Error&) {
    Class_Terminate();
    Class_Initialize();
    KesraFolderDelete(built.folder);
    throw;
  }
  return built;
}

}  // namespace qe
