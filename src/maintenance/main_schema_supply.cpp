#include "maintenance/main_schema_supply.h"

#include "common/kesra_class_md5.h"
#include "common/kesra_file_operations.h"
#include "maintenance/private_files.h"
#include "platform/ado/database_properties.h"
#include "platform/ado/jro.h"
#include "platform/ado/structure_supply.h"
#include "platform/fs/paths.h"
#include "shell/qe_main_database.h"

namespace qe {
namespace {

constexpr char16_t kStampProperty[] = u"QeMainSchema";

}  // namespace

vb::String MainSchemaStamp() {
  vb::String text;
  for (const vb::String& statement : MainSchemaStatements()) text += statement + u";";
  return Kesra_Class_Md5().KesraMd5(text);
}

bool SupplyMainSchema(const vb::String& path) {
  if (!KesraFileExist(path, 0)) return false;
  const auto target = *fs::ResolveExisting(path);
  const vb::String stamp = MainSchemaStamp();
  if (ado::DatabaseProperty(target, kStampProperty) == stamp) return false;
  // The model: a database made from the schema, beside the site's.
  const vb::String model = PrivateNameBeside(path, u"model-");
  try {
    CreateMainDatabaseFromSchema(model);
    ado::SupplyStructure(target, fs::ToHostPath(model));
  } catch (const vb::Error&) {
    KesraFileDelete(model, false);
    throw;
  }
  KesraFileDelete(model, false);
  ado::SetDatabaseProperty(target, kStampProperty, stamp);
  return true;
}

}  // namespace qe

namespace qe {

bool StampIfCurrentSchema(const vb::String& path) {
  // Supplied to a copy: nothing to supply means the database is current.
  const vb::String model = PrivateNameBeside(path, u"model-"), probe = PrivateNameBeside(path, u"probe-");
  bool current = false;
  try {
    CreateMainDatabaseFromSchema(model);
    ado::CopyDatabase(fs::ToHostPath(path), fs::ToHostPath(probe));
    ado::SuppliedStructure supplied = ado::SupplyStructure(fs::ToHostPath(probe), fs::ToHostPath(model));
    current = supplied.tables.empty() && supplied.columns.empty();
  } catch (const vb::Error&) {
  }
  KesraFileDelete(model, false);
  KesraFileDelete(probe, false);
  if (current) ado::SetDatabaseProperty(fs::ToHostPath(path), kStampProperty, MainSchemaStamp());
  return current;
}

}  // namespace qe
