#include "maintenance/shipped_configuration.h"

#include <filesystem>
#include <memory>

#include "common/kesra_class_md5.h"
#include "common/kesra_file_backup.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "maintenance/database_structure.h"
#include "maintenance/maintenance_lock.h"
#include "maintenance/private_files.h"
#include "maintenance/structure_database.h"
#include "platform/ado/database_file.h"
#include "platform/ado/database_properties.h"
#include "platform/ado/jro.h"
#include "platform/com/registry.h"
#include "platform/fs/file_write.h"
#include "platform/fs/paths.h"
#include "platform/sys/shell_execute.h"
#include "shell/connection_transaction.h"
#include "shell/new_database_file.h"
#include "common/qe_close_data.h"
#include "shell/qe_main_database.h"

namespace qe {
namespace {

constexpr char16_t kStampProperty[] = u"QeShippedSchema";
// The name under which the configuration lists the main database.
constexpr char16_t kMainDataFile[] = u"qe.asp";
// A configuration that is replaced is kept in a backup folder named for what
// it was and the time ("【损坏的结构配置】20240301093000").
constexpr char16_t kDamagedLabel[] = u"【损坏的结构配置】";
constexpr char16_t kOlderLabel[] = u"【旧版结构配置】";
constexpr char16_t kMessageTitle[] = u"Qe";

// Fills a new configuration database at `path` from a database made from the schema.
void BuildConfiguration(const vb::String& path) {
  const vb::String main = PrivateNameBeside(path, u"schema-");
  try {
    CreateMainDatabaseFromSchema(main);
    DatabaseStructure structure = ReadDatabaseStructure(main);
    structure.name = kMainDataFile;
    CreateConfigurationDatabase(path);
    {
      vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
      com::Call(conn, u"Open", NewJetDatabaseConnectionString(path));
      RunInTransaction(conn, [&] { WriteStructureDatabase(conn, {structure}); });
      ClosedAtEnd closed(conn);
    }
    ado::SetDatabaseProperty(fs::ToHostPath(path), kStampProperty, ShippedConfigurationStamp());
  } catch (const vb::Error&) {
    KesraFileDelete(main, false);
    throw;
  }
  KesraFileDelete(main, false);
}

enum class Made { kForThisSchema, kForAnother, kNotADatabase, kNotReadNow };

Made MadeFor(const vb::String& path, std::chrono::milliseconds wait) {
  const auto host = fs::ToHostPath(path);
  try {
    bool current = ado::DatabaseProperty(host, kStampProperty, wait) == ShippedConfigurationStamp();
    return current ? Made::kForThisSchema : Made::kForAnother;
  } catch (const vb::Error&) {
    // Busy past the wait, locked, or unreadable for now, it may hold a
    // capture all the same: only its own bytes make it a damaged one.
    return ado::FormatOfDatabaseFile(host) == ado::DatabaseFileFormat::kNotADatabase ? Made::kNotADatabase
                                                                                      : Made::kNotReadNow;
  }
}

// The site's backup folder, beside the configuration's folder.
vb::String SiteBackupFolder(const vb::String& path) {
  const vb::String folder = path.substr(0, path.rfind(u'\\'));
  return folder.substr(0, folder.rfind(u'\\')) + u"\\AutoBackup";
}

// Puts the new configuration `staged` in the place of the file `path` once a
// whole copy of that file is published in a backup folder named for what it
// was (`made`, an older one or a damaged one). An older one is a database:
// its writers wait from its copy to the swap, so that the copy holds every
// capture it had. Under the site's maintenance lock, looked at again there:
// of two mounts at once, the second finds the first one's configuration and
// leaves it. False, with nothing done, when the file is no longer what it
// was or another run kept the lock; raises, with the file left as it is,
// when its write lock cannot be had in time or its copy cannot be kept.
bool ReplaceKeepingCopy(const vb::String& path, const vb::String& staged, Made made, std::chrono::milliseconds wait) {
  MaintenanceRun run(path);
  if (!run.Held()) return false;
  const auto host = fs::ToHostPath(path);
  std::unique_ptr<ado::DatabaseWriteLock> writers_wait;
  if (made == Made::kForAnother) writers_wait = std::make_unique<ado::DatabaseWriteLock>(host);
  if (MadeFor(path, wait) != made) return false;
  const vb::String name = path.substr(path.rfind(u'\\') + 1);
  const vb::String label = writers_wait ? kOlderLabel : kDamagedLabel;
  BackupFolder kept(SiteBackupFolder(path), label + KesraBackupTimeName());
  const bool copied = kept.Put(name, [&](const vb::String& copy) {
    if (writers_wait) {
      ado::CopyDatabase(host, fs::ToHostPath(copy));
    } else if (KesraFileCopyMove(path, copy, u"copy", u"") != kFileOperationDone) {
      vb::Raise(vb::kPathFileAccessError, copy);
    }
  });
  if (!copied || !kept.Publish()) vb::Raise(vb::kPathFileAccessError, path);
  if (writers_wait) {
    // Beside it, so on its file system: one rename, under the lock.
    if (!writers_wait->Replace(fs::ToHostPath(staged))) vb::Raise(vb::kPermissionDenied, path);
  } else {
    // No database lives there: nobody can be using it as one.
    std::error_code error;
    std::filesystem::rename(fs::ToHostPath(staged), host, error);
    if (error) vb::Raise(vb::kPermissionDenied, path);
  }
  sys::LogEvent(kMessageTitle, u"The structure configuration " + path +
                                   (writers_wait ? u" was made for an older schema" : u" is not a database") +
                                   u": it is kept as " + kept.Path() + u"\\" + name +
                                   u", and a new one made from the schema took its place.");
  return true;
}

}  // namespace

vb::String ShippedConfigurationStamp() {
  vb::String text;
  for (const vb::String& statement : MainSchemaStatements()) text += statement + u";";
  vb::Variant properties = com::Call(vb::Variant(com::CreateObject(u"ADOX.Column")), u"Properties");
  for (int32_t i = 0, n = vb::CLng(com::Call(properties, u"Count")); i < n; ++i)
    text += vb::CStr(com::Call(com::Call(properties, u"Item", i), u"Name")) + u",";
  return Kesra_Class_Md5().KesraMd5(text);
}

bool ProvideShippedConfiguration(const vb::String& path, std::chrono::milliseconds wait) {
  if (fs::IsExistingFile(path)) {
    Made made = MadeFor(path, wait);
    if (made == Made::kForThisSchema || made == Made::kNotReadNow) return false;
    const vb::String staged = PrivateNameBeside(path, u"new-");
    try {
      BuildConfiguration(staged);
    } catch (const vb::Error&) {
      KesraFileDelete(staged, false);
      throw;
    }
    bool replaced = false;
    try {
      replaced = ReplaceKeepingCopy(path, staged, made, wait);
    } catch (const vb::Error&) {
      // Its write lock not had in time, or its copy not kept: it stays as
      // it is, for the next mount.
    }
    if (!replaced) KesraFileDelete(staged, false);
    return replaced;
  }
  vb::String folder = path.substr(0, path.rfind(u'\\'));
  if (!KesraFolderExist(folder)) KesraFolderCreate(folder);
  return CreateDatabaseFileWhole(path, BuildConfiguration);
}

}  // namespace qe
