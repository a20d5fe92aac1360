#include "host/site_drive.h"

#include "host/site_main_database.h"
#include "maintenance/main_schema_supply.h"
#include "maintenance/shipped_configuration.h"
#include "maintenance/sql_server_script.h"
#include "platform/fs/file_write.h"
#include "platform/fs/paths.h"

namespace host {

vb::String MountSite(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  fs::MapDrive(u'C', std::filesystem::absolute(folder));
  // The databases live in the site's data folder ("\Data" or "\data": one
  // folder in any case); the component creates them but not the folder.
  if (!fs::IsExistingFolder(u"C:\\data")) fs::CreateFolderWithParents(u"C:\\data");
  RemoveLeftovers();
  // The structure configuration that rebuilds them, made for this schema.
  qe::ProvideShippedConfiguration(qe::kShippedConfiguration);
  // And the script that makes them on SQL Server.
  qe::ProvideSqlServerScript(qe::kShippedSqlServerScript);
  // A main database made for an older schema gets what the schema added.
  qe::SupplyMainSchema(qe::kMainDatabase);
  return u"C:\\";
}

}  // namespace host
