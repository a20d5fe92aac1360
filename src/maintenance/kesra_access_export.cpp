// Export of a database file, or of some of its tables, into another file:
// the copy is made and cut down beside the destination and put in its place
// whole, so that pages holding the destination open go on with the new file.
#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "common/sql_literal.h"
#include "maintenance/kesra_class_access.h"
#include "maintenance/live_files.h"
#include "maintenance/private_files.h"
#include "maintenance/table_rows.h"
#include "platform/ado/jro.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "platform/sys/message_box.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

// The folder part of a full file name (without its separator) and the name.
std::pair<vb::String, vb::String> SplitFolder(const vb::String& file) {
  size_t slash = file.find_last_of(u"\\");
  if (slash == vb::String::npos) slash = file.find_last_of(u"/");
  if (slash == vb::String::npos) return {vb::String(), file};
  return {file.substr(0, slash), file.substr(slash + 1)};
}

}  // namespace

bool Kesra_Class_Access::KesraAccessExport(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                                           vb::String p_FileFullName_Source, vb::String p_FileFullName_Destination,
                                           vb::String p_TableList) {
  if (KesraFileExist(p_FileFullName_Destination, 0) &&
      sys::MsgBox(u"目标文件存在，是否覆盖？", sys::vbYesNo + sys::vbQuestion + sys::vbDefaultButton2, u"提示") !=
          sys::vbYes)
    return false;
  auto [folder, name] = SplitFolder(p_FileFullName_Destination);
  // The scratch copy lives in the site's scratch folder, wherever the target
  // is, so that the mount finds it if the run is killed.
  const vb::String scratch_folder = MapPathWithoutDrive(Server, u"/temp");
  if (!KesraFolderExist(scratch_folder)) KesraFolderCreate(scratch_folder);
  const vb::String copy = scratch_folder + u"\\" + PrivateName(u"export-") + u".mdb";
  try {
    // The source as it stood at one moment, while pages may write to it.
    ado::CopyDatabase(fs::ToHostPath(p_FileFullName_Source), fs::ToHostPath(copy));
    StopPoint("copied");
    if (!p_TableList.empty()) {
      vb::Variant conn = OpenJetConnection(copy);
      com::SetRef(m_Catalog, u"ActiveConnection", conn);
      // The tables as the catalog listed them when it was attached.
      const vb::String listed = u"|" + vb::UCase(p_TableList) + u"|";
      for (const vb::String& table : UserTableNames(m_Catalog))
        if (listed.find(u"|" + vb::UCase(table) + u"|") == vb::String::npos)
          com::Call(conn, u"Execute", u"Drop Table " + SqlName(table));
      m_Catalog = vb::Variant(com::CreateObject(u"ADOX.Catalog"));
      com::Call(conn, u"Close");
    }
    PutDatabaseInPlace(p_FileFullName_Destination, copy);
  } catch (const vb::Error&) {
    KesraFileDelete(copy, false);
    throw;
  }
  if (p_TableList.empty()) return true;
  // The compaction's own result does not change the export's.
  KesraAccessCompact(Response, Request, Server, folder + u"$" + name, false, false, u"");
  return true;
}

}  // namespace qe
