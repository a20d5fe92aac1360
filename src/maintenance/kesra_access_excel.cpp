// Conversions between a database file and a workbook: each worksheet into a
// table, each user table into a worksheet. The workbooks are read and
// written by the platform's workbook layer in place of the spreadsheet
// application; values travel with their types, never as SQL text.
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include "common/kesra_file_operations.h"
#include "common/sql_literal.h"
#include "maintenance/kesra_class_access.h"
#include "maintenance/table_rows.h"
#include "platform/ado/ado_types.h"
#include "platform/ado/prepared_command.h"
#include "platform/ado/recordset.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "platform/sys/message_box.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "platform/workbook/workbook_package.h"
#include "platform/workbook/xls_workbook.h"

namespace qe {
namespace {

constexpr char16_t kConnection[] = u"Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=";
constexpr int32_t kSchemaTables = 20;  // adSchemaTables
constexpr int32_t kTypeShort = 2;      // what "smallint" makes
constexpr int32_t kTypeInt = 3;        // what "int" makes
constexpr int32_t kTypeDouble = 5;     // what "double" makes
constexpr int32_t kTypeCurrency = 6;   // what "currency" makes
constexpr int32_t kTypeDate = 7;       // what "datetime" makes
constexpr int32_t kTypeBit = 11;       // what "bit" makes
constexpr int32_t kTypeText = 202;     // what "varchar(255)" makes
constexpr int32_t kTypeMemo = 203;     // what "memo" makes
constexpr int32_t kForwardOnly = 0;
constexpr int32_t kReadOnly = 1;

bool AnswersYes(const char16_t* question) {
  return sys::MsgBox(question, sys::vbYesNo + sys::vbQuestion + sys::vbDefaultButton2, u"Overrite") == sys::vbYes;
}

vb::Variant OpenDatabase(const vb::String& file) {
  vb::Variant conn(com::CreateObject(u"Adodb.Connection"));
  com::Call(conn, u"Open", kConnection + file, vb::String(), vb::String());
  return conn;
}

// The user tables of the connection's table schema, in its order.
std::vector<vb::String> SchemaTables(const vb::Variant& conn) {
  std::vector<vb::String> names;
  vb::Variant rs = com::Call(conn, u"OpenSchema", kSchemaTables);
  for (; !vb::CBool(com::Call(rs, u"EOF")); com::Call(rs, u"MoveNext")) {
    if (vb::CStr(com::ValueOf(com::Call(rs, u"", vb::String(u"TABLE_TYPE")))) == u"TABLE")
      names.push_back(vb::CStr(com::ValueOf(com::Call(rs, u"", vb::String(u"TABLE_NAME")))));
  }
  com::Call(rs, u"Close");
  return names;
}

bool Contains(const std::vector<vb::String>& names, vb::StringView name) {
  for (const vb::String& n : names)
    if (vb::EqualsNoCase(n, name)) return true;
  return false;
}

void CloseQuietly(vb::Variant& conn) {
  try {
    if (conn.IsObject() && conn.GetObject() && vb::CLng(com::Call(conn, u"State")) == 1) com::Call(conn, u"Close");
  } catch (const vb::Error&) {
  }
}

bool IsNumberValue(const vb::Variant& v) { return v.Holds<double>() || v.Holds<vb::Currency>(); }

// A date before 1900 comes as its text (workbook::HasDaySerial).
bool IsDateValue(const vb::Variant& v) {
  return v.Holds<vb::Date>() || (v.IsString() && workbook::DateWrittenAsText(v.As<vb::String>()));
}

// The second row decides a column's type as long as every value under the
// header fits it, so that each row arrives as it is and an empty cell as
// Null: a number makes int while every number is whole and fits 32 bits,
// else double, and currency when every one is a Currency; a date makes a
// date column; a Boolean a yes/no column, which holds no Null, so that with
// an empty cell below the column holds Jet's numbers for yes and no (-1, 0)
// in 16 bits; anything else, or text anywhere below, text, and memo when a
// value is longer than the 255 characters that text holds.
int32_t ColumnType(const workbook::Worksheet& sheet, uint32_t column, uint32_t rows) {
  const vb::Variant& second = sheet.Value(2, column);
  bool number = IsNumberValue(second), currency = second.Holds<vb::Currency>(), date = IsDateValue(second),
       boolean = second.Holds<vb::Boolean>();
  bool whole = true, empty = false;
  size_t longest = 0;
  for (uint32_t r = 2; r <= rows; ++r) {
    const vb::Variant& v = sheet.Value(r, column);
    if (v.IsEmpty()) {
      empty = true;
      continue;
    }
    number = number && IsNumberValue(v);
    currency = currency && v.Holds<vb::Currency>();
    date = date && IsDateValue(v);
    boolean = boolean && v.Holds<vb::Boolean>();
    if (IsNumberValue(v)) {
      double d = vb::CDbl(v);
      whole = whole && d == std::floor(d) && d >= INT32_MIN && d <= INT32_MAX;
    }
    if (v.IsString()) longest = std::max(longest, v.As<vb::String>().size());
  }
  if (currency) return kTypeCurrency;
  if (number) return whole ? kTypeInt : kTypeDouble;
  if (date) return kTypeDate;
  if (boolean) return empty ? kTypeShort : kTypeBit;
  return longest > 255 ? kTypeMemo : kTypeText;
}

const char16_t* SqlTypeName(int32_t type) {
  switch (type) {
    case kTypeShort: return u" smallint";
    case kTypeInt: return u" int";
    case kTypeDouble: return u" double";
    case kTypeCurrency: return u" currency";
    case kTypeDate: return u" datetime";
    case kTypeBit: return u" bit";
    case kTypeMemo: return u" memo";
    default: return u" varchar(255)";
  }
}

// One worksheet into a table of its name: the first row names the columns,
// typed by their values (ColumnType); each further row down to the last
// filled cell of column A is a record.
void WorksheetIntoTable(const vb::Variant& conn, const workbook::Worksheet& sheet, bool replace) {
  const uint32_t columns = sheet.LastColumnOfRow(1);
  const uint32_t rows = sheet.LastRowOfColumn(1);
  vb::String definition, names, marks;
  std::vector<int32_t> types;
  for (uint32_t c = 1; c <= columns; ++c) {
    vb::String name = vb::CStr(sheet.Value(1, c));
    int32_t type = ColumnType(sheet, c, rows);
    types.push_back(type);
    definition += (c > 1 ? u"," : u"") + SqlName(name) + SqlTypeName(type);
    names += (c > 1 ? u"," : u"") + SqlName(name);
    marks += c > 1 ? u",?" : u"?";
  }
  com::Call(conn, u"BeginTrans");
  try {
    if (replace) com::Call(conn, u"Execute", u"drop table " + SqlName(sheet.name));
    com::Call(conn, u"Execute", u"Create Table " + SqlName(sheet.name) + u" (" + definition + u")");
    ado::PreparedCommand insert(conn, u"Insert Into " + SqlName(sheet.name) + u" (" + names + u") Values (" + marks + u")");
    std::vector<vb::Variant> values(columns);
    for (uint32_t r = 2; r <= rows; ++r) {
      for (uint32_t c = 1; c <= columns; ++c) values[c - 1] = ado::CoerceToField(sheet.Value(r, c), types[c - 1]);
      insert.Execute(values);
    }
    com::Call(conn, u"CommitTrans");
  } catch (const vb::Error&) {
    com::Call(conn, u"RollbackTrans");
    throw;
  }
}

// A table's field names, then its records, each handed on as one row.
void ForEachTableRow(const vb::Variant& conn, const vb::String& table,
                     const std::function<void(const std::vector<vb::Variant>&)>& row) {
  auto rs = std::make_shared<ado::Recordset>();
  rs->Open(vb::Variant(u"Select * from " + SqlName(table)), conn, kForwardOnly, kReadOnly, 1);
  std::vector<vb::Variant> values(rs->FieldCount());
  for (size_t i = 0; i < values.size(); ++i) values[i] = vb::Variant(rs->FieldAt(i).name);
  row(values);
  for (; !rs->Eof(); rs->MoveNext()) {
    for (size_t i = 0; i < values.size(); ++i) values[i] = rs->Value(i);
    row(values);
  }
  rs->Close();
}

// Each user table into the worksheet of its name (after a Yes) or a new one.
template <class Book, class RowsOf>
void TablesIntoWorkbook(const vb::Variant& conn, Book& book, RowsOf rows_of) {
  for (const vb::String& table : SchemaTables(conn)) {
    if (table.starts_with(u"~")) continue;
    std::optional<size_t> sheet = book.FindSheet(table);
    bool overwrite = sheet && AnswersYes(u"同名工作表存在, 是否覆盖?");
    auto rows = rows_of(table);
    // Without a Yes a new worksheet is added, and the taken name refuses it.
    if (overwrite) book.ReplaceRows(*sheet, std::move(rows));
    else book.AddWorksheet(table, std::move(rows));
  }
}

// A workbook named .xls is written in the application's 97-2003 format; an
// existing file keeps the format it has.
bool WritesOlderFormat(const std::filesystem::path& file, bool exists) {
  if (exists) return workbook::FormatOf(file) == workbook::Format::kXls;
  return vb::EqualsNoCase(vb::FromUtf8(file.extension().string()), u".xls");
}

}  // namespace

bool Kesra_Class_Access::KesraAccessFromExcel(vb::String p_ExcelFileName, vb::String p_AccessFileName) {
  vb::Variant conn;
  try {
    std::vector<workbook::Worksheet> sheets = workbook::ReadWorkbook(fs::ToHostPath(p_ExcelFileName));
    conn = OpenDatabase(p_AccessFileName);
    std::vector<vb::String> tables = SchemaTables(conn);
    for (const workbook::Worksheet& sheet : sheets) {
      // A worksheet without a first row makes no table, and replaces none.
      if (sheet.LastColumnOfRow(1) == 0) continue;
      bool exists = Contains(tables, sheet.name);
      if (exists && !AnswersYes(u"同名表已存在,是否覆盖??")) continue;
      WorksheetIntoTable(conn, sheet, exists);
      if (!exists) tables.push_back(sheet.name);
    }
    com::Call(conn, u"Close");
  } catch (const vb::Error&) {
    CloseQuietly(conn);
    return false;
  }
  return true;
}

bool Kesra_Class_Access::KesraAccessToExcel(vb::String p_AccessFileName, vb::String p_ExcelFileName) {
  vb::Variant conn;
  try {
    const auto file = fs::ToHostPath(p_ExcelFileName);
    const bool exists = KesraFileExist(p_ExcelFileName, 0);
    if (WritesOlderFormat(file, exists)) {
      workbook::XlsWorkbook book = exists ? workbook::XlsWorkbook::Open(file) : workbook::XlsWorkbook::New();
      // Writing back from cell values would drop what else the file holds:
      // such a workbook is refused and left as it is.
      if (!book.KeepsEverything()) return false;
      if (!exists) book.Save(file);
      conn = OpenDatabase(p_AccessFileName);
      TablesIntoWorkbook(conn, book, [&](const vb::String& table) {
        workbook::Worksheet sheet;
        ForEachTableRow(conn, table, [&](const std::vector<vb::Variant>& values) { workbook::AppendXlsRow(sheet, values); });
        return std::move(sheet.rows);
      });
      book.Save(file);
    } else {
      std::unique_ptr<workbook::WorkbookPackage> package;
      if (!exists) {
        package = workbook::WorkbookPackage::New();
        package->Save(file);
      } else {
        package = workbook::WorkbookPackage::Open(file);
      }
      conn = OpenDatabase(p_AccessFileName);
      TablesIntoWorkbook(conn, *package, [&](const vb::String& table) {
        workbook::SheetRows rows(*package);
        ForEachTableRow(conn, table, [&](const std::vector<vb::Variant>& values) { rows.AddRow(values); });
        return rows;
      });
      package->Save(file);
    }
    com::Call(conn, u"Close");
  } catch (const vb::Error&) {
    CloseQuietly(conn);
    return false;
  }
  return true;
}

}  // namespace qe
