#include "shell/qe_main_database.h"

#include "common/kesra_class_md5.h"
#include "common/kesra_file_operations.h"
#include "platform/ado/database_properties.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "platform/vb/strings.h"
#include "shell/new_database_file.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

constexpr char16_t kSchema[] =
#include "shell/qe_main_schema.inc"
    ;

// The schema without its "--" comment lines.
vb::String SchemaWithoutComments() {
  vb::String text;
  for (const vb::String& line : vb::SplitParts(kSchema, u"\n"))
    if (!vb::Trim(line).starts_with(u"--")) text += line + u"\n";
  return text;
}

}  // namespace

std::vector<vb::String> MainSchemaStatements() {
  std::vector<vb::String> statements;
  for (const vb::String& piece : vb::SplitParts(SchemaWithoutComments(), u";")) {
    vb::String statement = vb::Trim(vb::Replace(vb::Replace(piece, u"\r", u" "), u"\n", u" "));
    if (!statement.empty()) statements.push_back(statement);
  }
  return statements;
}

vb::String MainSchemaStamp() {
  vb::String text;
  for (const vb::String& statement : MainSchemaStatements()) text += statement + u";";
  return Kesra_Class_Md5().KesraMd5(text);
}

void StampForMainSchema(const std::filesystem::path& database) {
  ado::SetDatabaseProperty(database, kMainSchemaStampProperty, MainSchemaStamp());
}

bool CreateMainDatabaseFromSchema(const vb::String& path) {
  if (KesraFileExist(path, 0)) return false;
  return CreateDatabaseFileWhole(path, [](const vb::String& staged) {
    vb::Variant catalog(com::CreateObject(u"ADOX.Catalog"));
    vb::Variant conn = com::Call(catalog, u"Create", NewJetDatabaseConnectionString(staged));
    // One transaction: the file is written once, not once per table.
    com::Call(conn, u"BeginTrans");
    for (const vb::String& statement : MainSchemaStatements()) com::Call(conn, u"Execute", statement);
    com::Call(conn, u"CommitTrans");
    vb::Variant no_recordset(u"");
    QeCloseData(no_recordset, conn);
    catalog = vb::Variant::Nothing();
    // Made from the schema: no mount has anything to bring it up to.
    StampForMainSchema(fs::ToHostPath(staged));
  });
}

}  // namespace qe
