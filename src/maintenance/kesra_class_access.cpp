#include "maintenance/kesra_class_access.h"

#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "platform/com/live_objects.h"

namespace qe {
namespace {

constexpr char16_t kSource[] = u"kesra_class_access";

// The ADO types whose size a column takes from its definition (the
// variable-length kinds), and the three the builder treats apart.
constexpr int32_t kFirstSizedType = 200;
constexpr int32_t kTypeLong = 3;
constexpr int32_t kTypeBoolean = 11;
constexpr int32_t kAllowNulls = 0;

// Jet's column properties as the builder names them.
constexpr char16_t kAutoincrement[] = u"Autoincrement";
constexpr char16_t kNullable[] = u"Nullable";
constexpr char16_t kAllowZeroLength[] = u"Jet OLEDB:Allow Zero Length";
constexpr char16_t kDescription[] = u"Description";
constexpr char16_t kDefault[] = u"Default";
constexpr char16_t kCompressed[] = u"Jet OLEDB:Compressed UNICODE Strings";

void SetProperty(const vb::Variant& object, vb::StringView name, vb::Variant value) {
  com::Let(com::Call(object, u"Properties", vb::String(name)), u"Value", std::move(value));
}

}  // namespace

Kesra_Class_Access::Kesra_Class_Access() {
  Class_Initialize();
  com::CountObject(1);
}

Kesra_Class_Access::~Kesra_Class_Access() {
  Class_Terminate();
  com::CountObject(-1);
}

void Kesra_Class_Access::Class_Initialize() { m_Catalog = vb::Variant(com::CreateObject(u"ADOX.Catalog")); }

void Kesra_Class_Access::Class_Terminate() {
  m_Column = vb::Variant::Nothing();
  m_Table = vb::Variant::Nothing();
  m_Catalog = vb::Variant::Nothing();
  m_Index = vb::Variant::Nothing();
}

void Kesra_Class_Access::DataBaseName(vb::String p_Name) { m_DataBaseName = std::move(p_Name); }

void Kesra_Class_Access::SetDataBaseVer(int32_t p_Ver) { m_DataBaseVer = p_Ver; }

vb::Variant Kesra_Class_Access::KesraAccessCompare(vb::String, vb::String, uint8_t) { return vb::Variant(); }

vb::String Kesra_Class_Access::KesraAccessGetConnectString(bool UseJet4) const {
  // The blank after "Data Source=" and the trailing "; " are the builder's own.
  vb::String provider = UseJet4 ? u"Microsoft.Jet.OLEDB.4.0" : u"Microsoft.Jet.OLEDB.3.51";
  return u"Provider=" + provider + u";Data Source= " + m_DataBaseName + u"; ";
}

bool Kesra_Class_Access::KesraAccessCreateDataBase(vb::String& p_DataBaseName, int32_t& p_DataBaseVer,
                                                   bool& p_OverWrite) {
  if (p_DataBaseVer > 0) m_DataBaseVer = p_DataBaseVer;
  if (!vb::Trim(p_DataBaseName).empty()) m_DataBaseName = p_DataBaseName;
  if (m_DataBaseVer == 1) m_ConnectString = KesraAccessGetConnectString(false);
  else if (m_DataBaseVer == 2) m_ConnectString = KesraAccessGetConnectString(true);
  else throw vb::Error(kAccessNoVersion, u"数据库选择参数未选 ", kSource);
  if (vb::Trim(m_DataBaseName).empty()) throw vb::Error(kAccessNoFileName, u"文件名错误---空的文件名 ", kSource);
  try {
    com::Call(m_Catalog, u"Create", m_ConnectString);
    return true;
  } catch (const vb::Error&) {
    if (!p_OverWrite) throw vb::Error(kAccessDatabaseExists, u"数据库己存在 ", u"kesra_class_access ");
  }
  // A file that cannot be deleted, or is not there, fails the call as it is.
  com::Call(vb::Variant(com::CreateObject(u"Scripting.FileSystemObject")), u"DeleteFile", m_DataBaseName, false);
  com::Call(m_Catalog, u"Create", m_ConnectString);
  return true;
}

bool Kesra_Class_Access::KesraAccessCreateTable(vb::String p_TableName) {
  // A missing catalog (30003) and any other failure stay inside: False.
  try {
    if (!m_Catalog.IsObject() || !m_Catalog.GetObject()) return false;
    m_Table = vb::Variant(com::CreateObject(u"ADOX.Table"));
    com::Let(m_Table, u"Name", p_TableName);
    com::Call(com::Call(m_Catalog, u"Tables"), u"Append", m_Table);
    return true;
  } catch (const vb::Error&) {
    return false;
  }
}

bool Kesra_Class_Access::KesraAccessAddField(vb::String p_Name, int32_t p_Type, int16_t p_DefinedSize,
                                             bool p_Autoincrement, bool p_Nullable, bool p_AllowZeroLength,
                                             vb::String p_Description, vb::Variant p_Default) {
  m_Column = vb::Variant(com::CreateObject(u"ADOX.Column"));
  // Bound to its catalog first, so that the provider's properties are there.
  com::SetRef(m_Column, u"ParentCatalog", m_Catalog);
  com::Let(m_Column, u"Name", p_Name);
  com::Let(m_Column, u"Type", p_Type);
  if (p_Type >= kFirstSizedType) com::Let(m_Column, u"DefinedSize", p_DefinedSize);
  if (p_Type == kTypeLong) SetProperty(m_Column, kAutoincrement, p_Autoincrement);
  // A Boolean column is never nullable, whatever the caller asks.
  SetProperty(m_Column, kNullable, p_Type == kTypeBoolean ? false : p_Nullable);
  SetProperty(m_Column, kAllowZeroLength, p_AllowZeroLength);
  if (!p_Description.empty()) SetProperty(m_Column, kDescription, p_Description);
  bool no_default = p_Default.IsEmpty() || p_Default.IsNull() || (p_Default.IsString() && p_Default.As<vb::String>().empty());
  if (!no_default) SetProperty(m_Column, kDefault, p_Default);
  SetProperty(m_Column, kCompressed, true);
  com::Call(com::Call(m_Table, u"Columns"), u"Append", m_Column);
  return true;
}

bool Kesra_Class_Access::KesraAccessCreateIndex(vb::String p_IndexName, bool p_PrimaryKey, bool p_Unique, bool,
                                                vb::String p_FieldList) {
  try {
    if (vb::Right(p_FieldList, 1) == u",") p_FieldList = vb::Left(p_FieldList, static_cast<int32_t>(p_FieldList.size()) - 1);
    m_Index = vb::Variant(com::CreateObject(u"ADOX.Index"));
    com::Let(m_Index, u"Name", p_IndexName);
    com::Let(m_Index, u"PrimaryKey", p_PrimaryKey);
    com::Let(m_Index, u"Unique", p_Unique);
    // Every index allows nulls; the caller's flag is not used.
    com::Let(m_Index, u"IndexNulls", kAllowNulls);
    vb::Variant columns = com::Call(m_Index, u"Columns");
    for (const vb::String& item : vb::SplitParts(p_FieldList, u",")) {
      std::vector<vb::String> parts = vb::SplitParts(item, u"|");
      if (parts.size() < 2) vb::Raise(vb::kSubscriptOutOfRange);
      com::Call(columns, u"Append", parts[0]);
      com::Let(com::Call(columns, u"Item", parts[0]), u"SortOrder", vb::CLng(vb::Variant(parts[1])));
    }
    com::Call(com::Call(m_Table, u"Indexes"), u"Append", m_Index);
    return true;
  } catch (const vb::Error&) {
    throw vb::Error(kAccessIndexFailed, u"建立索引未知错误", kSource);
  }
}

const com::MemberTable<Kesra_Class_Access>& Kesra_Class_Access::Members() {
  using A = com::ArgList;
  using K = Kesra_Class_Access;
  static const com::MemberTable<K> table = {
      {u"DataBaseName", com::kLet, 1, 1,
       [](K& k, A& a) {
         k.DataBaseName(vb::CStr(a[0]));
         return vb::Variant();
       }},
      {u"SetDataBaseVer", com::kGet, 1, 1,
       [](K& k, A& a) {
         k.SetDataBaseVer(vb::CLng(a[0]));
         return vb::Variant();
       }},
      {u"KesraAccessCompare", com::kGet, 3, 3,
       [](K& k, A& a) { return k.KesraAccessCompare(vb::CStr(a[0]), vb::CStr(a[1]), vb::CByte(a[2])); }},
      {u"KesraAccessExport", com::kGet, 6, 6,
       [](K& k, A& a) {
         return vb::Variant(k.KesraAccessExport(a[0], a[1], a[2], vb::CStr(a[3]), vb::CStr(a[4]), vb::CStr(a[5])));
       }},
      {u"KesraAccessImport", com::kGet, 4, 4,
       [](K& k, A& a) {
         return vb::Variant(k.KesraAccessImport(vb::CStr(a[0]), vb::CStr(a[1]), vb::CStr(a[2]), vb::CBool(a[3])));
       }},
      {u"KesraAccessCreateConfig", com::kGet, 8, 8,
       [](K& k, A& a) {
         return vb::Variant(k.KesraAccessCreateConfig(a[0], a[1], a[2], vb::CStr(a[3]), vb::CStr(a[4]),
                                                      vb::CStr(a[5]), vb::CBool(a[6]), vb::CStr(a[7])));
       }},
      {u"KesraAccessCreateFromConfig", com::kGet, 6, 6,
       [](K& k, A& a) {
         return vb::Variant(
             k.KesraAccessCreateFromConfig(a[0], a[1], a[2], vb::CStr(a[3]), vb::CStr(a[4]), vb::CStr(a[5])));
       }},
      {u"KesraAccessCompact", com::kGet, 7, 7,
       [](K& k, A& a) {
         return vb::Variant(k.KesraAccessCompact(a[0], a[1], a[2], vb::CStr(a[3]), vb::CBool(a[4]), vb::CBool(a[5]),
                                                 vb::CStr(a[6])));
       }},
      {u"KesraAccessFromExcel", com::kGet, 2, 2,
       [](K& k, A& a) { return vb::Variant(k.KesraAccessFromExcel(vb::CStr(a[0]), vb::CStr(a[1]))); }},
      {u"KesraAccessToExcel", com::kGet, 2, 2,
       [](K& k, A& a) { return vb::Variant(k.KesraAccessToExcel(vb::CStr(a[0]), vb::CStr(a[1]))); }},
      {u"KesraAccessRepair", com::kGet, 10, 10,
       [](K& k, A& a) {
         return vb::Variant(k.KesraAccessRepair(a[0], a[1], a[2], a[3], vb::CStr(a[4]), vb::CStr(a[5]),
                                                vb::CStr(a[6]), vb::CByte(a[7]), vb::CBool(a[8]), vb::CStr(a[9])));
       }},
  };
  return table;
}

}  // namespace qe
