#include "maintenance/shipped_configuration.h"

#include <filesystem>

#include "common/kesra_class_md5.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "maintenance/database_structure.h"
#include "maintenance/private_files.h"
#include "maintenance/structure_database.h"
#include "platform/ado/database_properties.h"
#include "platform/com/registry.h"
#include "platform/fs/file_write.h"
#include "platform/fs/paths.h"
#include "shell/connection_transaction.h"
#include "shell/new_database_file.h"
#include "common/qe_close_data.h"
#include "shell/qe_main_database.h"

namespace qe {
namespace {

constexpr char16_t kStampProperty[] = u"QeShippedSchema";
// The name under which the configuration lists the main database.
constexpr char16_t kMainDataFile[] = u"qe.asp";

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

enum class Made { kForThisSchema, kForAnother, kNotADatabase };

Made MadeFor(const vb::String& path) {
  try {
    bool current = ado::DatabaseProperty(fs::ToHostPath(path), kStampProperty) == ShippedConfigurationStamp();
    return current ? Made::kForThisSchema : Made::kForAnother;
  } catch (const vb::Error&) {
    return Made::kNotADatabase;
  }
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

bool ProvideShippedConfiguration(const vb::String& path) {
  if (fs::IsExistingFile(path)) {
    Made made = MadeFor(path);
    if (made == Made::kForThisSchema) return false;
    const vb::String staged = PrivateNameBeside(path, u"new-");
    try {
      BuildConfiguration(staged);
      // A file that is no database has no connections to wait for.
      if (made == Made::kNotADatabase) {
        std::error_code error;
        std::filesystem::rename(fs::ToHostPath(staged), fs::ToHostPath(path), error);
        if (error) vb::Raise(vb::kPermissionDenied, path);
      } else {
        PutDatabaseInPlace(path, staged);
      }
    } catch (const vb::Error&) {
      KesraFileDelete(staged, false);
      throw;
    }
    return true;
  }
  vb::String folder = path.substr(0, path.rfind(u'\\'));
  if (!KesraFolderExist(folder)) KesraFolderCreate(folder);
  return CreateDatabaseFileWhole(path, BuildConfiguration);
}

}  // namespace qe
