#pragma once
// Bringing an Access database up to a model database: the tables and columns
// the model has and it lacks, as the catalog keeps them (Jet types, sizes,
// properties and, for new tables, keys and indexes).
#include <filesystem>
#include <vector>

#include "platform/vb/string.h"

namespace ado {

struct SuppliedStructure {
  std::vector<vb::String> tables;   // tables made, by their model names
  std::vector<vb::String> columns;  // columns added to tables that were there, "table.column"
};

// Gives the database file `target` each user table of `model` that it lacks
// (names compared in any letter case), and each table it has every model
// column that it lacks. Nothing else changes: what the target has beyond the
// model, and columns of the same name with another type, stay as they are. A
// column that may not be Null is added allowing Null to a table that holds
// rows, since those rows have no value for it. All or nothing, in one
// transaction; raises the engine's errors.
SuppliedStructure SupplyStructure(const std::filesystem::path& target, const std::filesystem::path& model);

}  // namespace ado
