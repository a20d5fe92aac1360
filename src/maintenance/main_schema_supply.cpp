#include "maintenance/main_schema_supply.h"

#include <chrono>

#include "common/kesra_file_operations.h"
#include "maintenance/private_files.h"
#include "platform/ado/database_properties.h"
#include "platform/ado/jro.h"
#include "platform/ado/replaceable_files.h"
#include "platform/ado/structure_supply.h"
#include "platform/fs/paths.h"
#include "shell/qe_main_database.h"

namespace qe {
namespace {

// As long as a page's statement waits for a writer.
constexpr std::chrono::seconds kReadersWait{10};

}  // namespace

bool SupplyMainSchema(const vb::String& path) {
  if (!KesraFileExist(path, 0)) return false;
  const auto target = *fs::ResolveExisting(path);
  const vb::String stamp = MainSchemaStamp();
  {
    // Every mount reads the stamp, beside pages that may be writing one row
    // after another: it reads in a moment between their commits.
    ado::ReadersTurn turn(target, kReadersWait);
    if (ado::DatabaseProperty(target, kMainSchemaStampProperty) == stamp) return false;
  }
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
  StampForMainSchema(target);
  return true;
}

bool StampIfCurrentSchema(const vb::String& path) {
  // Supplied to a copy: nothing to supply means the database is current.
  const vb::String model = PrivateNameBeside(path, u"model-"), probe = PrivateNameBeside(path, u"probe-");
  bool current = false;
  try {
    CreateMainDatabaseFromSchema(model);
    ado::CopyDatabase(fs::ToHostPath(path), fs::ToHostPath(probe));
    const ado::SuppliedStructure supplied = ado::SupplyStructure(fs::ToHostPath(probe), fs::ToHostPath(model));
    current = supplied.tables.empty() && supplied.columns.empty();
  } catch (const vb::Error&) {
  }
  KesraFileDelete(model, false);
  KesraFileDelete(probe, false);
  if (current) StampForMainSchema(fs::ToHostPath(path));
  return current;
}

}  // namespace qe
