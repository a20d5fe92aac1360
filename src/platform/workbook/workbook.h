#pragma once
// Workbooks without a spreadsheet application: the worksheets of an .xlsx
// (Office Open XML) or .xls (BIFF) file read as the application shows their
// cells' values, and .xlsx files written (workbook_package.h).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/vb/variant.h"

namespace workbook {

// The grid that is read: A1 to IV65536, as the application's older format has it.
inline constexpr uint32_t kMaxRows = 65536;
inline constexpr uint32_t kMaxColumns = 256;

// Rows and columns count from 1.
struct Cell {
  uint32_t column = 0;
  vb::Variant value;  // Double, String, Boolean, Date, or an error value (vbError)
};

struct Row {
  uint32_t number = 0;
  std::vector<Cell> cells;  // filled cells only, in column order
};

struct Worksheet {
  vb::String name;
  std::vector<Row> rows;  // rows with a filled cell, in row order

  // The cell's value; Empty for an empty cell.
  const vb::Variant& Value(uint32_t row, uint32_t column) const;
  // The last filled row of a column (End(xlUp) from its bottom cell), the
  // last filled column of a row (End(xlToLeft) from its last cell); 0 when
  // there is none.
  uint32_t LastRowOfColumn(uint32_t column) const;
  uint32_t LastColumnOfRow(uint32_t row) const;
};

struct ReadLimits {
  uint64_t max_file_bytes = uint64_t{64} << 20;   // the workbook file itself
  uint64_t max_part_bytes = uint64_t{32} << 20;   // one unpacked part of an .xlsx
  uint64_t max_total_bytes = uint64_t{128} << 20; // all unpacked parts read
};

enum class Format { kUnknown, kXlsx, kXls };

// What the file's first bytes say it is: a zip package or a compound file.
Format FormatOf(const std::filesystem::path& file);

// The worksheets of the workbook, in order, with the cells of A1:IV65536.
// Raises vb::Error 53 for a missing file and 1004 for one that cannot be
// read as a workbook (unknown format, damaged, over the limits, a document
// type declaration in a part).
std::vector<Worksheet> ReadWorkbook(const std::filesystem::path& file, const ReadLimits& limits = {});

// Whether a day serial carries the date the same to the application and to
// other readers: from 1900-01-01 on, and a time alone (under one day). The
// application counts no days before 1900, and readers differ on what a
// negative serial means; the writers write such a date as its text, as CStr
// shows it ("1850/6/1 12:00:00").
bool HasDaySerial(vb::Date date);
// The date of such a text; nullopt for any other text.
std::optional<vb::Date> DateWrittenAsText(vb::StringView text);

// The error that a file which cannot be read raises.
[[noreturn]] void RaiseUnreadable(std::string_view why);

}  // namespace workbook
