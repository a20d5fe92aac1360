#pragma once
// Writing an Excel 97-2003 workbook (.xls: BIFF8 records in a compound
// file): the cell values of its worksheets, as the conversions need them.
// Text goes through the shared string table, numbers as numbers, Currency
// with the currency format, dates as day serials with a date format (as
// text where no serial carries them, see HasDaySerial), Booleans and error
// values as such, Null as a blank cell. An existing .xls is opened through the reader, so what it
// holds beyond cell values (formulas, formats but dates, charts) would not be
// carried into the file written back: KeepsEverything() tells the caller.
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/workbook/workbook.h"

namespace workbook {

// The older format's grid: 65,536 rows of 256 columns; a cell holds at most
// 32,767 characters.
inline constexpr size_t kMaxXlsText = 32767;

// Appends the values as the next row of the sheet, from column A; Empty
// values leave their cell empty. Raises 1004 past 65,536 rows, 256 columns
// or a text longer than a cell holds.
void AppendXlsRow(Worksheet& sheet, const std::vector<vb::Variant>& values);

class XlsWorkbook {
 public:
  // A new workbook with one empty worksheet, "Sheet1".
  static XlsWorkbook New();
  // An existing workbook's worksheets and values; raises as ReadWorkbook.
  static XlsWorkbook Open(const std::filesystem::path& file, const ReadLimits& limits = {});

  std::optional<size_t> FindSheet(vb::StringView name) const;
  // Empties the worksheet and gives it these rows.
  void ReplaceRows(size_t sheet, std::vector<Row> rows);
  // Adds a worksheet after the last; raises 1004 for a name the application
  // refuses or one already taken.
  void AddWorksheet(vb::StringView name, std::vector<Row> rows);
  const std::vector<Worksheet>& Sheets() const { return sheets_; }
  // Whether writing the workbook back keeps all that the opened file held:
  // false when it holds formulas, names, drawings, charts, pictures, merged
  // cells, links, comments, validation, conditional or number formats other
  // than dates, cells with a font, alignment, border or fill of their own,
  // hidden or chart sheets, protection, or streams besides the workbook's
  // (macros, summary information).
  bool KeepsEverything() const { return keeps_everything_; }

  // The file's bytes; raises 1004 for a value the format cannot carry.
  std::string Bytes() const;
  // Writes the file under a temporary name and renames it into place.
  void Save(const std::filesystem::path& file) const;

 private:
  std::vector<Worksheet> sheets_;
  bool keeps_everything_ = true;
};

}  // namespace workbook
