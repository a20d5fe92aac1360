#pragma once
// Writing an .xlsx workbook: a new one, or an existing one in which only the
// worksheets given rows are rewritten or added; every other part of the
// package is kept byte for byte. The file is written under a temporary name
// and renamed into place.
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/workbook/workbook.h"

namespace workbook {

class WorkbookPackage;

// The rows of a worksheet as they are written, from A1 down: numbers,
// Currency (with the currency format), Booleans, dates (with a date format;
// as text where no serial carries them, see HasDaySerial), text; Empty, Null
// and byte arrays leave their cell empty.
class SheetRows {
 public:
  explicit SheetRows(WorkbookPackage& package) : package_(package) {}
  // The next row. Raises 1004 past the format's 1,048,576 rows or 16,384 columns.
  void AddRow(const std::vector<vb::Variant>& values);
  uint32_t RowCount() const { return rows_; }

 private:
  friend class WorkbookPackage;
  WorkbookPackage& package_;
  std::string xml_;  // the <row> elements
  uint32_t rows_ = 0;
  uint32_t columns_ = 0;
};

class WorkbookPackage {
 public:
  // A new workbook with one empty worksheet, "Sheet1".
  static std::unique_ptr<WorkbookPackage> New();
  // An existing .xlsx file; raises as ReadWorkbook does for anything else.
  static std::unique_ptr<WorkbookPackage> Open(const std::filesystem::path& file, const ReadLimits& limits = {});
  ~WorkbookPackage();

  // The names of the sheets (worksheets and the others), in order.
  std::vector<vb::String> SheetNames() const;
  // The position of the sheet of that name, compared as the application
  // compares them (without case); nullopt when there is none.
  std::optional<size_t> FindSheet(vb::StringView name) const;

  // Empties the worksheet (its rows and merged areas) and writes the rows
  // into it. Raises 1004 for a sheet that is no worksheet.
  void ReplaceRows(size_t sheet, SheetRows rows);
  // Adds a worksheet after the last sheet. Raises 1004 for a name the
  // application refuses: empty, over 31 characters, holding \ / ? * [ ] :,
  // beginning or ending with ', or taken by another sheet.
  void AddWorksheet(vb::StringView name, SheetRows rows);

  // Writes the workbook to the file (replacing it).
  void Save(const std::filesystem::path& file);

 private:
  friend class SheetRows;
  WorkbookPackage();
  // The cell format showing a built-in number format, added on first use.
  uint32_t NumberStyle(uint32_t format);

  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace workbook
