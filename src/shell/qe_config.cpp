#include "shell/qe_config.h"

#include <array>

#include "common/kesra_addresses.h"
#include "common/kesra_class_md5.h"
#include "common/kesra_file_operations.h"
#include "common/sql_literal.h"
#include "platform/com/registry.h"
#include "platform/vb/strings.h"
#include "shell/connection_transaction.h"
#include "shell/new_database_file.h"
#include "common/qe_close_data.h"
#include "platform/com/variant_property.h"

namespace qe {
namespace {

// Entries separated by "|"; the first is the main Access data file.
constexpr char16_t kDataFileList[] = u"qe.asp";

constexpr std::array<const char16_t*, 3> kAccessForms = {
    u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source =",
    u"Provider=Microsoft.ACE.OLEDB.12.0;Data Source =",
    u"Provider=Microsoft.ACE.OLEDB.16.0;Data Source =",
};

constexpr std::array<const char16_t*, 6> kConfigColumns = {u"ConfigClass", u"ConfigPara1", u"ConfigPara2",
                                                           u"ConfigPara3", u"ConfigPara4", u"ConfigPara5"};
constexpr int32_t kAdVarWChar = 202;
constexpr int32_t kConfigColumnSize = 32;
// ConfigPara1 of the "SQL_Server" row takes the client's address, which may
// be a full IPv6 address or a forwarded list ("client, proxy"): it holds the
// longest text Jet has. Files made with 32 characters there are left as they
// are and keep working: rows that are there are never written again.
constexpr int32_t kAddressColumnSize = 255;

vb::String ConfigDatabaseFile(vb::Variant& Server) {
  return vb::CStr(com::Call(Server, u"MapPath", vb::String(kConfigDatabasePath)));
}

vb::Variant NewObject(vb::StringView prog_id) { return vb::Variant(com::CreateObject(prog_id)); }

// The error number that a failed Open leaves (0 when it opened).
int32_t OpenErrorNumber(const vb::Variant& conn, const vb::String& connection_string) {
  try {
    com::Call(conn, u"Open", connection_string);
    return 0;
  } catch (const vb::Error& e) {
    return e.Number();
  }
}

// A new database at `path` holding the empty table Config.
void CreateConfigTable(const vb::String& path) {
  vb::Variant catalog = NewObject(u"Adox.CataLog");
  com::Call(catalog, u"Create", NewJetDatabaseConnectionString(path));
  vb::Variant table = NewObject(u"Adox.Table");
  com::Let(table, u"name", vb::Variant(u"Config"));
  vb::Variant columns = com::Call(table, u"Columns");
  for (const char16_t* name : kConfigColumns) {
    vb::StringView column(name);
    int32_t size = column == u"ConfigPara1" ? kAddressColumnSize : kConfigColumnSize;
    com::Call(columns, u"Append", vb::String(name), kAdVarWChar, size);
  }
  com::Call(com::Call(catalog, u"Tables"), u"Append", table);
  QeCloseData(table, catalog);
}

// The default rows, inserted into the database at `connection_string` in one
// transaction: either every missing row is there afterwards or none is.
// Two requests seeding at once take turns, so no row is doubled.
void InsertDefaultRows(const vb::String& connection_string, vb::Variant& Request) {
  vb::Variant conn = NewObject(u"Adodb.Connection");
  com::Call(conn, u"Open", connection_string);
  RunInTransaction(conn, [&] {
    const vb::Variant empty(u"");
    {
      Kesra_Class_Md5 md5;
      QeConfigInsertDefault(conn, vb::Variant(u"UserName"), vb::Variant(md5.KesraMd5(u"wardenaccount")),
                            vb::Variant(md5.KesraMd5(u"")), empty, empty, empty);
    }
    QeConfigInsertDefault(conn, vb::Variant(u"DataType"), vb::Variant(u"Access"), empty, empty, empty, empty);
    QeConfigInsertDefault(conn, vb::Variant(u"Access"), vb::Variant(u"Qe.asp"), empty, empty, empty, empty);
    QeConfigInsertDefault(conn, vb::Variant(u"SQL_Server"), vb::Variant(KesraGetIp(Request)), vb::Variant(u"sa"),
                          empty, empty, empty);
  });
  vb::Variant no_recordset(u"");
  QeCloseData(no_recordset, conn);
}

}  // namespace

vb::String QeGetDataFullName(vb::Variant& Server) {
  vb::String first_file = vb::SplitParts(kDataFileList, u"|").at(0);
  return vb::CStr(com::Call(Server, u"MapPath", u"/data\\" + first_file));
}

vb::String QeGetConnString(vb::Variant& Server) {
  vb::Variant conn = com::Call(Server, u"CreateObject", vb::String(u"Adodb.Connection"));
  vb::String path = QeGetDataFullName(Server);
  // Only ADO's own errors (provider cannot be found, numbers above 0) move
  // the trial on; ACE 16.0 is taken untried.
  vb::String result = kAccessForms[0] + path;
  if (OpenErrorNumber(conn, result) > 0) {
    result = kAccessForms[1] + path;
    if (OpenErrorNumber(conn, result) > 0) result = kAccessForms[2] + path;
  }
  try {
    com::Call(conn, u"Close");
  } catch (const vb::Error&) {
  }
  return result;
}

vb::String QeConfig_GetConnString(vb::Variant& Server, vb::Variant& Request) {
  vb::String path = ConfigDatabaseFile(Server);
  if (!KesraFileExist(path, 0)) {
    // Built and seeded beside its place, then put there: a request that finds
    // the file finds its rows too, and a failed row leaves no file behind.
    CreateDatabaseFileWhole(path, [&](const vb::String& staged) {
      CreateConfigTable(staged);
      InsertDefaultRows(kConfigConnectionPrefix + staged, Request);
    });
  }
  return kConfigConnectionPrefix + path;
}

void QeConfig_CreateTable(vb::Variant& Server) {
  vb::String path = ConfigDatabaseFile(Server);
  if (KesraFileExist(path, 0)) return;
  CreateDatabaseFileWhole(path, CreateConfigTable);
}

void QeConfig_CreateTableData(vb::Variant& Server, vb::Variant& Request) {
  InsertDefaultRows(kConfigConnectionPrefix + ConfigDatabaseFile(Server), Request);
}

void QeConfigInsertDefault(vb::Variant& Conn, const vb::Variant& p_ConfigClass, const vb::Variant& p_ConfigPara1,
                           const vb::Variant& p_ConfigPara2, const vb::Variant& p_ConfigPara3,
                           const vb::Variant& p_ConfigPara4, const vb::Variant& p_ConfigPara5) {
  vb::String config_class = SqlText(VariantText(p_ConfigClass));
  vb::Variant counted =
      com::Call(Conn, u"Execute", u"Select Count(*) As Counts From [Config] Where ConfigClass=" + config_class);
  if (vb::CLng(com::ValueOf(com::Call(counted, u"", vb::String(u"Counts")))) != 0) return;
  vb::String values = config_class;
  for (const vb::Variant* value : {&p_ConfigPara1, &p_ConfigPara2, &p_ConfigPara3, &p_ConfigPara4, &p_ConfigPara5})
    values += u"," + SqlText(VariantText(*value));
  com::Call(Conn, u"Execute",
            u"Insert Into [Config] (ConfigClass,ConfigPara1,ConfigPara2,ConfigPara3,ConfigPara4,ConfigPara5) Values(" +
                values + u")");
}

}  // namespace qe
