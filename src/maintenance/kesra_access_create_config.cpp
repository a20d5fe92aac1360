// The capture of a set of databases' structure into a structure
// configuration, in its INI or its database form.
#include "common/kesra_error_page.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "maintenance/database_structure.h"
#include "maintenance/kesra_class_access.h"
#include "maintenance/structure_database.h"
#include "maintenance/structure_ini.h"
#include "platform/com/registry.h"
#include "platform/fs/file_write.h"
#include "platform/vb/strings.h"
#include "shell/connection_transaction.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

// The site's data files when the caller names none.
constexpr char16_t kDataFileList[] = u"qe.asp";
constexpr char16_t kDataFolder[] = u"/data";

bool WriteDatabaseForm(const vb::String& config, const std::vector<DatabaseStructure>& structure) {
  vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Call(conn, u"Open", u"Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=" + config);
  ClosedAtEnd closed(conn);
  // One transaction: a failure leaves the configuration as it was.
  RunInTransaction(conn, [&] { WriteStructureDatabase(conn, structure); });
  return true;
}

}  // namespace

bool Kesra_Class_Access::KesraAccessCreateConfig(vb::Variant& Response, vb::Variant&, vb::Variant& Server,
                                                 vb::String p_ConfigFileFullName, vb::String p_MdbFileFullNameList,
                                                 vb::String p_ConfigFileType, bool p_CloseParent,
                                                 vb::String p_DialogID) {
  std::vector<vb::String> databases;
  try {
    p_ConfigFileType = vb::LCase(vb::Trim(p_ConfigFileType));
    if (p_MdbFileFullNameList.empty()) {
      for (const vb::String& name : vb::SplitParts(kDataFileList, u"|"))
        databases.push_back(MapPathWithoutDrive(Server, vb::String(kDataFolder) + u"\\" + name));
    } else {
      for (const vb::String& entry : vb::SplitParts(p_MdbFileFullNameList, u"|"))
        databases.push_back(MapPathWithoutDrive(Server, entry));
    }
    if (p_ConfigFileFullName.empty() && p_ConfigFileType == u"mdb") p_ConfigFileFullName = u"../Comm/Data_Mdb.mdb";
    if (p_ConfigFileFullName.empty() && p_ConfigFileType == u"ini") p_ConfigFileFullName = u"../Comm/Data_Ini.mdb";
    if (!p_ConfigFileFullName.empty()) p_ConfigFileFullName = MapPathWithoutDrive(Server, p_ConfigFileFullName);
  } catch (const vb::Error&) {
    return false;
  }
  if (p_ConfigFileFullName.empty()) {
    KesraShowErrorPageWithoutData(Response, u"请输入保存结构的文件名！", p_CloseParent, p_DialogID);
    return false;
  }
  if (!KesraFileExist(p_ConfigFileFullName, 0)) {
    KesraShowErrorPageWithoutData(Response, p_ConfigFileFullName + u"不存在！", p_CloseParent, p_DialogID);
    return false;
  }
  // The whole structure is read before anything is written, and written
  // whole: a failure leaves the configuration as it was.
  try {
    std::vector<DatabaseStructure> structure;
    for (const vb::String& database : databases) structure.push_back(ReadDatabaseStructure(database));
    if (p_ConfigFileType != u"ini") return WriteDatabaseForm(p_ConfigFileFullName, structure);
    std::optional<std::string> text = StructureIniText(structure);
    if (!text) return false;
    fs::ReplaceFile(p_ConfigFileFullName, *text);
    return true;
  } catch (const vb::Error&) {
    return false;
  }
}

}  // namespace qe
