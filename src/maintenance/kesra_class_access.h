#pragma once
// The database-maintenance class that the façade holds as m_Access: it builds
// empty Access databases (tables, columns, indexes) through ADOX, writes the
// structure of a set of databases to a structure configuration and rebuilds
// databases from one, and compacts database files.
//
// It keeps an ADOX catalog from its creation on, so that it cannot be created
// (nor, with it, the façade) on a server without ADOX. The builders work on
// shared state: a new database binds the catalog, a new table is added to it
// at once, and columns and indexes go to the table made last; one database is
// built at a time.
#include <cstdint>
#include <vector>

#include "platform/com/object.h"

namespace qe {

// The errors the class raises (its source is the class's name, as stated).
enum AccessError : int32_t {
  kAccessNoVersion = 30001,       // a database version other than 1 or 2
  kAccessNoFileName = 30002,      // an empty database file name
  kAccessNoCatalog = 30003,       // a table without a database (kept to the class)
  kAccessIndexFailed = 30004,     // any failure while building an index
  kAccessDatabaseExists = 30006,  // the database exists and may not be overwritten
};

class Kesra_Class_Access : public com::Dispatch<Kesra_Class_Access> {
 public:
  // Raises the platform's error (429) when "ADOX.Catalog" cannot be created.
  Kesra_Class_Access();
  ~Kesra_Class_Access() override;

  static const com::MemberTable<Kesra_Class_Access>& Members();
  vb::String TypeName() const override { return u"Kesra_Class_Access"; }

  // The constructor's and the terminator's work, callable as operations: the
  // rebuild calls both to drop the catalog's hold on the files it built.
  void Class_Initialize();
  void Class_Terminate();

  // The public members, in interface order.
  void DataBaseName(vb::String p_Name);
  void SetDataBaseVer(int32_t p_Ver);
  // Reads no file; an Empty result (false through the façade).
  vb::Variant KesraAccessCompare(vb::String p_FileFullName1, vb::String p_FileFullName2, uint8_t p_CompareMode);
  // A copy of the source holding the listed tables ("" all of them), put in
  // the destination's place; asks before it replaces a file.
  bool KesraAccessExport(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                         vb::String p_FileFullName_Source, vb::String p_FileFullName_Destination,
                         vb::String p_TableList);
  // The rows of the listed tables (the destination's when "") copied into the
  // destination: the number of rows (32767 at most), 0 after a No, -1 when it
  // failed (the failing table keeps what it had).
  int16_t KesraAccessImport(vb::String p_FileFullName_Source, vb::String p_FileFullName_Destination,
                            vb::String p_TableList, bool p_IsClear);
  bool KesraAccessCreateConfig(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                               vb::String p_ConfigFileFullName, vb::String p_MdbFileFullNameList,
                               vb::String p_ConfigFileType, bool p_CloseParent, vb::String p_DialogID);
  bool KesraAccessCreateFromConfig(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                                   vb::String p_ConfigFileFullName, vb::String p_MdbFullPath,
                                   vb::String p_ConfigFileType);
  bool KesraAccessCompact(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                          vb::String p_DataParaList, bool p_ShowErrorInfo, bool p_CloseParent,
                          vb::String p_DialogID);
  // Worksheets into tables and tables into worksheets; False when anything fails.
  bool KesraAccessFromExcel(vb::String p_ExcelFileName, vb::String p_AccessFileName);
  bool KesraAccessToExcel(vb::String p_AccessFileName, vb::String p_ExcelFileName);
  bool KesraAccessRepair(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::Variant& Application,
                         vb::String p_DataPath, vb::String p_DataNameList, vb::String p_ConfigFileFullName,
                         uint8_t p_Level, bool p_CloseParent, vb::String p_DialogID);

  // The class's own builders (not on its interface).
  vb::String KesraAccessGetConnectString(bool UseJet4) const;
  bool KesraAccessCreateDataBase(vb::String& p_DataBaseName, int32_t& p_DataBaseVer, bool& p_OverWrite);
  bool KesraAccessCreateTable(vb::String p_TableName);
  bool KesraAccessAddField(vb::String p_Name, int32_t p_Type, int16_t p_DefinedSize, bool p_Autoincrement,
                           bool p_Nullable, bool p_AllowZeroLength, vb::String p_Description, vb::Variant p_Default);
  bool KesraAccessCreateIndex(vb::String p_IndexName, bool p_PrimaryKey, bool p_Unique, bool p_IndexNulls,
                              vb::String p_FieldList);

  const vb::Variant& Catalog() const { return m_Catalog; }

 private:
  // The compaction of the listed files of a folder; `backup` first copies
  // them into a backup folder of their own.
  bool CompactFiles(vb::Variant& Response, vb::Variant& Server, const vb::String& folder,
                    const vb::String& file_list, bool backup, bool p_ShowErrorInfo, bool p_CloseParent,
                    const vb::String& p_DialogID);

  // Empty databases of a structure configuration, built and compacted in a
  // private folder of the site's \temp (removed again when this raises).
  struct BuiltDatabases {
    vb::String folder;
    std::vector<vb::String> names;
    bool compacted = false;
  };
  BuiltDatabases BuildFromConfig(vb::Variant& Response, vb::Variant& Server, const vb::String& config,
                                 const vb::String& config_type);
  // The repair's own import: every row of every table the backup holds too,
  // autonumbers included; false unless all of them came.
  bool ImportWhole(const vb::String& backup, const vb::String& rebuilt);

  vb::Variant m_Catalog;
  vb::Variant m_Table;
  vb::Variant m_Index;
  vb::Variant m_Column;
  vb::String m_DataBaseName;
  int32_t m_DataBaseVer = 0;
  vb::String m_ConnectString;
  vb::Variant m_Connection;
};

}  // namespace qe
