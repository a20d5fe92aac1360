// Import of the rows of a set of tables from one database file into the
// same-named tables of another. The whole run is one transaction of the
// destination, so a kill leaves every table as it was; within it each table
// is cleared and filled in a nested one, taken back whole when anything
// fails, and what the tables before it received is committed as always.
#include <limits>

#include "common/sql_literal.h"
#include "maintenance/kesra_class_access.h"
#include "maintenance/live_files.h"
#include "maintenance/maintenance_lock.h"
#include "maintenance/table_rows.h"
#include "platform/com/registry.h"
#include "platform/sys/message_box.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr int32_t kTypeLong = 3;
constexpr int32_t kTypeUnsignedByte = 17;
constexpr int32_t kForwardOnly = 0;
constexpr int32_t kReadOnly = 1;

// The questions, with their title, buttons and default as the import asks them.
constexpr char16_t kCompositeIndex[] = u"本数据表存在复合索引,只能先清空原记录然后再添加,是否继续?";
constexpr char16_t kTextIndex[] = u"本数据表存在非数值型唯一索引,只能先清空原记录然后再添加,是否继续?";
constexpr char16_t kManyIndexes[] = u"本数据表存在多个唯一索引,只能先清空原记录然后再添加,是否继续?";

bool AnswersYes(const char16_t* question) {
  return sys::MsgBox(question, sys::vbYesNo + sys::vbInformation + sys::vbDefaultButton2, u"Qe") == sys::vbYes;
}

// The callers' 16-bit count: a larger one reads as the largest.
int16_t ImportResult(int64_t count) {
  return static_cast<int16_t>(std::min<int64_t>(count, std::numeric_limits<int16_t>::max()));
}

bool HasRows(const vb::Variant& connection, vb::StringView table) {
  vb::Variant rs(com::CreateObject(u"ADODB.Recordset"));
  com::Call(rs, u"Open", u"Select * From " + SqlName(table), connection, kForwardOnly, kReadOnly);
  bool rows = !vb::CBool(com::Call(rs, u"EOF"));
  com::Call(rs, u"Close");
  return rows;
}

// Clearing and the key column of one table: which unique indexes force a
// clearing (with the caller's consent) and which 32-bit or byte column gets
// new numbers. False when the answer was not Yes.
bool PlanTable(const CatalogTable& table, bool& clearing, std::optional<size_t>& key_column) {
  if (clearing || table.indexes.empty()) return true;
  std::vector<vb::String> keys;
  for (const CatalogIndex& index : table.indexes) {
    if (!index.unique) continue;
    if (index.columns.size() >= 2 || index.columns.empty()) {
      if (!AnswersYes(kCompositeIndex)) return false;
      clearing = true;
      break;
    }
    const CatalogColumn* column = table.FindColumn(index.columns[0]);
    if (!column || (column->type != kTypeLong && column->type != kTypeUnsignedByte)) {
      if (!AnswersYes(kTextIndex)) return false;
      clearing = true;
      break;
    }
    keys.push_back(column->name);
  }
  if (!clearing && keys.size() > 1) {
    if (!AnswersYes(kManyIndexes)) return false;
    clearing = true;
  }
  if (!clearing && keys.size() == 1) {
    for (size_t i = 0; i < table.columns.size(); ++i)
      if (vb::EqualsNoCase(table.columns[i].name, keys[0])) key_column = i;
  }
  return true;
}

void CloseQuietly(vb::Variant& connection) {
  try {
    if (connection.IsObject() && connection.GetObject() && vb::CLng(com::Call(connection, u"State")) == 1)
      com::Call(connection, u"Close");
  } catch (const vb::Error&) {
  }
  connection = vb::Variant::Nothing();
}

}  // namespace

int16_t Kesra_Class_Access::KesraAccessImport(vb::String p_FileFullName_Source, vb::String p_FileFullName_Destination,
                                             vb::String p_TableList, bool p_IsClear) {
  MaintenanceRun run(p_FileFullName_Destination);
  if (!run.Held()) return -1;
  int64_t count = 0;
  vb::Variant source, destination;
  bool in_transaction = false, in_run = false;
  // Commits what the tables done so far received.
  auto finish_run = [&] {
    if (in_run) com::Call(destination, u"CommitTrans");
    in_run = false;
  };
  // The catalog lets go of both files whatever happens.
  struct FreshCatalog {
    Kesra_Class_Access& access;
    ~FreshCatalog() {
      try {
        access.m_Catalog = vb::Variant(com::CreateObject(u"ADOX.Catalog"));
      } catch (const vb::Error&) {
        access.m_Catalog = vb::Variant::Nothing();
      }
    }
  } fresh{*this};
  try {
    source = OpenJetConnection(p_FileFullName_Source);
    destination = OpenJetConnection(p_FileFullName_Destination);
    if (p_TableList.empty()) {
      m_Connection = OpenJetConnection(p_FileFullName_Destination);
      vb::Variant catalog(com::CreateObject(u"ADOX.Catalog"));
      com::SetRef(catalog, u"ActiveConnection", m_Connection);
      for (const vb::String& name : UserTableNames(catalog))
        if (!vb::UCase(name).starts_with(u"TEMP_")) p_TableList += name + u"|";
      CloseQuietly(m_Connection);
    }
    // The list's last character goes, whatever it is: a list of the
    // caller's own needs a spare one at its end.
    if (!p_TableList.empty()) p_TableList.pop_back();
    com::Call(destination, u"BeginTrans");
    in_run = true;
    for (const vb::String& name : vb::SplitParts(p_TableList, u"|")) {
      com::SetRef(m_Catalog, u"ActiveConnection", source);
      std::optional<CatalogTable> from = FindUserTable(m_Catalog, name);
      if (!from) break;
      com::SetRef(m_Catalog, u"ActiveConnection", destination);
      CatalogTable into = ReadTable(m_Catalog, name);
      if (from->columns.size() != into.columns.size()) break;

      com::Call(destination, u"BeginTrans");
      in_transaction = true;
      bool clearing = p_IsClear;
      if (!clearing && !HasRows(destination, into.name)) clearing = true;
      std::optional<size_t> key_column;
      if (!PlanTable(into, clearing, key_column)) {
        com::Call(destination, u"RollbackTrans");
        in_transaction = false;
        finish_run();
        CloseQuietly(destination);
        CloseQuietly(source);
        return 0;
      }
      RowTarget target{into.name, {}, std::nullopt, 0};
      if (key_column) {
        vb::Variant rs = com::Call(destination, u"Execute", u"Select Max(" + SqlName(into.columns[*key_column].name) +
                                                                u")  From " + SqlName(into.name));
        vb::Variant highest = com::ValueOf(com::Call(rs, u"", int32_t{0}));
        com::Call(rs, u"Close");
        target.key_counter = highest.IsNull() ? 0 : vb::CLng(highest);
      }
      if (clearing) com::Call(destination, u"Execute", u"Delete * from " + SqlName(into.name));
      for (size_t i = 0; i < into.columns.size(); ++i) {
        const CatalogColumn& c = into.columns[i];
        if (c.type == kTypeLong && c.autoincrement) continue;
        if (key_column == i) target.key = target.columns.size();
        target.columns.push_back(c);
      }
      count += CopyTableRows(source, destination, target);
      com::Call(destination, u"CommitTrans");
      in_transaction = false;
      StopPoint("imported");
    }
    finish_run();
  } catch (const vb::Error&) {
    try {
      if (in_transaction) com::Call(destination, u"RollbackTrans");
      finish_run();
    } catch (const vb::Error&) {
    }
    CloseQuietly(m_Connection);
    CloseQuietly(destination);
    CloseQuietly(source);
    return -1;
  }
  CloseQuietly(destination);
  CloseQuietly(source);
  return ImportResult(count);
}

}  // namespace qe
