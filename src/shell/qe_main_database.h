#pragma once
// A new main database made from the schema that the component carries
// (data/schema/qe_main.sql): the tables that first-run seeding fills.
#include <filesystem>
#include <vector>

#include "platform/vb/variant.h"

namespace qe {

// The schema's statements, in order.
std::vector<vb::String> MainSchemaStatements();

// What a database that holds everything of the present schema carries, as
// its property kMainSchemaStampProperty, so that no mount has to bring it up
// to the schema.
inline constexpr char16_t kMainSchemaStampProperty[] = u"QeMainSchema";
vb::String MainSchemaStamp();
// Gives the database file that stamp (the caller knows it holds the schema).
void StampForMainSchema(const std::filesystem::path& database);

// Creates the Access database at the real path (such as "C:\site\data\qe.asp")
// with the schema's tables, empty, stamped for the schema; its folder must
// exist. The file appears whole or not at all. True when this call made it, false when the file was
// there already (it is left as it is).
bool CreateMainDatabaseFromSchema(const vb::String& path);

}  // namespace qe
