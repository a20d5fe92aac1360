// Creating a SQL Server catalog from the site's creation script.
#include "common/kesra_error_page.h"
#include "common/kesra_file_name.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "common/kesra_file_text.h"
#include "common/sql_literal.h"
#include "maintenance/data_names.h"
#include "maintenance/kesra_data.h"
#include "maintenance/maintenance_lock.h"
#include "maintenance/sql_server_catalog.h"
#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "shell/qe_data_init.h"

namespace qe {
namespace {

constexpr char16_t kSafetyFolder[] = u"\\AutoBackup\\【数据初始化自动备份】";

// Runs one statement; false when the server refused it.
bool Run(vb::Variant& conn, const vb::String& sql) {
  try {
    com::Call(conn, u"Execute", sql);
    return true;
  } catch (const vb::Error&) {
    return false;
  }
}

vb::String Quoted(const vb::String& path) { return u"\"" + path + u"\""; }

vb::String CreateStatement(const vb::String& name, const vb::String& folder) {
  return u"Create database " + SqlServerName(name) + u" on primary(name =" + SqlServerName(name) +
         u",filename=" + Quoted(folder + u"\\" + name + u".mdf") + u",size=10mb,filegrowth=2)log on(name =" +
         SqlServerName(name + u"Log") + u",filename=" + Quoted(folder + u"\\" + name + u".ldf") +
         u",size=10mb,filegrowth=2)";
}

bool CatalogExists(vb::Variant& conn, const vb::String& name) {
  vb::Variant rs(com::CreateObject(u"Adodb.RecordSet"));
  com::Call(rs, u"Open", u"Select Name From [dbo].[SysDataBases] Where [Name] = " + SqlText(name) + u";", conn,
            int32_t{1}, int32_t{3});
  bool exists = vb::CLng(com::Call(rs, u"RecordCount")) > 0;
  com::Call(rs, u"Close");
  return exists;
}

// Saves the catalog to a new folder of the site's "/AutoBackup", ends its
// sessions and drops it; nothing is dropped unless it was saved first.
bool ReplaceExisting(vb::Variant& Server, vb::Variant& conn, const vb::String& name) {
  vb::String folder;
  try {
    folder = KesraGetFileRealFullName(Server, kSafetyFolder + KesraFileGetRndName(16));
    KesraFolderCreate(folder);
  } catch (const vb::Error&) {
    return false;
  }
  if (!Run(conn, u"backup database " + SqlServerName(name) + u" to disk=" + SqlText(folder + u"\\" + name)))
    return false;
  bool ok = true;
  try {
    EndSessions(conn, name);
  } catch (const vb::Error&) {
    ok = false;
  }
  return Run(conn, u"Drop Database " + SqlServerName(name)) && ok;
}

// The script's batches: a line that reads "GO" in any case ends one (an
// empty one too); the text after the last such line is one when not empty.
bool RunScript(vb::Variant& conn, const vb::String& script) {
  bool ok = true;
  vb::String batch;
  std::vector<vb::String> lines = vb::SplitParts(vb::Replace(script, u"\r\n", u"\n"), u"\n");
  if (!lines.empty() && lines.back().empty()) lines.pop_back();  // after the last line break
  for (const vb::String& line : lines) {
    if (vb::UCase(line) == u"GO") {
      ok = Run(conn, batch) && ok;
      batch.clear();
    } else {
      batch += line + u"\r\n";
    }
  }
  if (!batch.empty()) ok = Run(conn, batch) && ok;
  return ok;
}

}  // namespace

bool KesraCreateMdfFromSql(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::Variant& Application,
                           vb::String p_MdfName, vb::String p_MdfPath, vb::String p_SqlServer, vb::String p_SqlUID,
                           vb::String p_SqlPWD, vb::String p_SqlFile, bool p_OverWrite) {
  MaintenanceRun run(Server);
  if (!run.Held()) {
    KesraShowErrorPageWithoutData(Response, kMaintenanceBusy, false, u"");
    return false;
  }
  vb::String folder = KesraGetFileRealFullName(Server, p_MdfPath);
  KesraFolderCreate(folder);
  vb::String script_file = KesraGetFileRealFullName(Server, p_SqlFile);
  // The name is also a file name on the server, and the folder stands
  // between double quotes in the creation statement.
  if (!IsPlainPathPiece(p_MdfName) || folder.find(u'"') != vb::String::npos) return false;

  SqlServerConnection link;
  try {
    com::Let(link.conn, u"Provider", vb::String(u"SQLOLEDB"));
    com::Let(link.conn, u"ConnectionString",
             u"User Id =" + ConnectionValue(p_SqlUID) + u";pwd=" + ConnectionValue(p_SqlPWD) +
                 u";data source=" + ConnectionValue(p_SqlServer) + u";initial Catalog=master");
    com::Call(link.conn, u"Open");
  } catch (const vb::Error&) {
    return false;
  }
  if (vb::CLng(com::Call(link.conn, u"State")) != 1) return false;

  bool ok = true;
  try {
    if (CatalogExists(link.conn, p_MdfName)) {
      if (!p_OverWrite) return true;
      if (!ReplaceExisting(Server, link.conn, p_MdfName)) return false;
    }
  } catch (const vb::Error&) {
    return false;
  }
  // CREATE DATABASE runs outside any transaction. Without the new catalog the
  // script would run in master: nothing more is done.
  if (!Run(link.conn, CreateStatement(p_MdfName, folder))) return false;
  try {
    com::Let(link.conn, u"DefaultDatabase", p_MdfName);
  } catch (const vb::Error&) {
    return false;
  }
  if (!KesraFileExist(script_file, 0)) return false;
  ok = RunScript(link.conn, KesraReadFromTextFile(script_file)) && ok;
  try {
    QeDataInit(Response, Request, Server, Application);
  } catch (const vb::Error&) {
    ok = false;
  }
  return ok && !asp::ResponseEnded(Response);
}

}  // namespace qe
