#pragma once
// What the readers and the writer of workbooks share.
#include <optional>
#include <string>
#include <string_view>

#include "platform/workbook/workbook.h"

namespace workbook::detail {

std::vector<Worksheet> ReadXlsx(const std::filesystem::path& file, const ReadLimits& limits);
// `keeps_everything`, when given, tells whether writing the workbook back
// from the values read would keep all that the file holds.
std::vector<Worksheet> ReadXls(const std::filesystem::path& file, const ReadLimits& limits,
                               bool* keeps_everything = nullptr);

// ReadWorkbook, telling for an .xls whether writing it back keeps everything.
std::vector<Worksheet> ReadWorkbook(const std::filesystem::path& file, const ReadLimits& limits,
                                    bool* xls_keeps_everything);

// Whether a BIFF workbook stream holds only records that the .xls writer
// makes again from the cell values (visible worksheets; unstyled values in
// General or date formats) or that only set layout, printing and calculation.
bool RewriteKeepsEverything(std::string_view stream);

// Whether a cell's number format shows a date or time: one of the
// application's built-in date formats (those of the Chinese editions
// included), or a format code with a y, m, d, h or s outside quoted text,
// escapes and bracketed colours ("[h]" elapsed hours count).
bool IsBuiltInDateFormat(uint32_t id);
bool IsDateFormatCode(std::string_view code);
// Whether it shows a currency: the application's built-in currency formats
// (5 to 8), or a format code with a currency sign ($ ¥ ￥ € £, or a "[$¥-804]"
// tag naming one) that shows no date.
bool IsCurrencyFormatCode(std::string_view code);

// What a cell's number format makes of its number, as the application's
// Value gives it: a date, a Currency, or the number itself.
enum class NumberKind : uint8_t { kNumber, kDate, kCurrency };
NumberKind KindOfBuiltInFormat(uint32_t id);
NumberKind KindOfFormatCode(std::string_view code);
// A number cell's value: a date or a Currency where the number is one, else
// the number.
vb::Variant NumberCell(double value, NumberKind kind, bool date1904);

// The application's currency format, built in (no record defines it): the
// writers give it to Currency values, as the application does to a Currency
// put into a cell.
inline constexpr uint16_t kCurrencyFormat = 7;

// Raises 1004 for a sheet name the application refuses (empty, over 31
// characters, holding \ / ? * [ ] :, beginning or ending with ') or one that
// another sheet has taken.
void CheckNewSheetName(vb::StringView name, bool taken);

// The number a cell is given for a numeric value (Integer, Long, Single,
// Double, Currency, Byte); nullopt for any other.
std::optional<double> CellNumber(const vb::Variant& value);

// Sorts rows and cells into order; a cell given twice keeps its last value.
void Normalize(Worksheet& sheet);

// "B12" -> column 2, row 12; nullopt for anything else. Either part may be
// missing ("B", "12") where the caller allows it.
struct CellRef {
  uint32_t column = 0;  // 0: not given
  uint32_t row = 0;     // 0: not given
};
std::optional<CellRef> ParseCellRef(std::string_view text);
std::string ColumnName(uint32_t column);  // 1 -> "A", 27 -> "AA"

// Day serials: the application counts 1900-01-01 as day 1 and has a
// 1900-02-29; a VB date counts from 1899-12-30 and has not.
vb::Date DateOfSerial(double serial, bool date1904);
double SerialOfDate(vb::Date date);

// Text of a cell with the application's escapes for characters that XML
// cannot carry ("_x0001_"; a literal "_x0041_" keeps its underscore as
// "_x005F_"), and back.
vb::String UnescapeText(std::string_view utf8);
void AppendEscapedText(std::string& out, vb::StringView text);

}  // namespace workbook::detail
