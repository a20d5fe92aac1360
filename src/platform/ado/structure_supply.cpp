#include "platform/ado/structure_supply.h"

#include "platform/ado/jet_catalog.h"

namespace ado {
namespace {

constexpr char16_t kEngine[] = u"Microsoft JET Database Engine";

std::shared_ptr<Database> OpenFile(const std::filesystem::path& file, Database::Mode mode) {
  return Database::Open(file, mode, vb::FromUtf8(file.string()), kEngine);
}

bool HoldsRows(Database& db, StringView table) {
  std::string name = vb::ToUtf8(table);
  std::string quoted;
  for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  Statement rows = db.Prepare("SELECT 1 FROM \"" + quoted + "\" LIMIT 1");
  return rows.Step();
}

}  // namespace

SuppliedStructure SupplyStructure(const std::filesystem::path& target, const std::filesystem::path& model) {
  std::shared_ptr<Database> from = OpenFile(model, Database::Mode::kReadOnly);
  std::vector<catalog::TableDef> wanted;
  for (const catalog::TableEntry& entry : catalog::ListTables(*from))
    if (entry.type == u"TABLE")
      if (auto table = catalog::ReadTable(*from, entry.name)) wanted.push_back(std::move(*table));
  from.reset();

  std::shared_ptr<Database> db = OpenFile(target, Database::Mode::kOpenExisting);
  SuppliedStructure supplied;
  db->Exec("BEGIN IMMEDIATE");
  try {
    for (const catalog::TableDef& table : wanted) {
      std::optional<catalog::TableDef> present = catalog::ReadTable(*db, table.name);
      if (!present) {
        catalog::CreateTable(*db, table);
        supplied.tables.push_back(table.name);
        continue;
      }
      for (const catalog::ColumnDef& column : table.columns) {
        if (present->FindColumn(column.name)) continue;
        catalog::ColumnDef added = column;
        if (!added.nullable && HoldsRows(*db, present->name)) added.nullable = true;
        catalog::AddColumn(*db, present->name, added);
        supplied.columns.push_back(present->name + u"." + column.name);
      }
    }
    db->Exec("COMMIT");
  } catch (...) {
    try {
      db->Exec("ROLLBACK");
    } catch (...) {
    }
    throw;
  }
  return supplied;
}

}  // namespace ado
