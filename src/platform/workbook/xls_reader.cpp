// Reading the worksheets of a BIFF workbook (.xls) through FreeXL.
#include <freexl.h>

#include <charconv>

#include "platform/vb/datetime.h"
#include "platform/workbook/workbook_internal.h"

namespace workbook::detail {
namespace {

class Handle {
 public:
  explicit Handle(const std::filesystem::path& file) {
    int rc = freexl_open(file.c_str(), &handle_);
    if (rc != FREEXL_OK) RaiseUnreadable("not a readable .xls workbook (" + std::to_string(rc) + ")");
  }
  ~Handle() {
    if (handle_) freexl_close(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  const void* get() const { return handle_; }

 private:
  const void* handle_ = nullptr;
};

int Number(std::string_view text) {
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// FreeXL's "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" and "HH:MM:SS".
vb::Variant DateValue(std::string_view text, unsigned char type) {
  vb::DateParts parts;
  try {
    if (type != FREEXL_CELL_TIME) {
      if (text.size() < 10) return vb::Variant(vb::FromUtf8(text));
      parts.year = Number(text.substr(0, 4));
      parts.month = Number(text.substr(5, 2));
      parts.day = Number(text.substr(8, 2));
      text = text.size() > 11 ? text.substr(11) : std::string_view();
    }
    if (text.size() >= 8) {
      parts.hour = Number(text.substr(0, 2));
      parts.minute = Number(text.substr(3, 2));
      parts.second = Number(text.substr(6, 2));
    }
    return vb::Variant(vb::DateFromParts(parts));
  } catch (const vb::Error&) {
    return vb::Variant(vb::FromUtf8(text));
  }
}

vb::Variant CellValue(const FreeXL_CellValue& cell) {
  switch (cell.type) {
    case FREEXL_CELL_INT: return vb::Variant(static_cast<double>(cell.value.int_value));
    case FREEXL_CELL_DOUBLE: return vb::Variant(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
      return cell.value.text_value ? vb::Variant(vb::FromUtf8(cell.value.text_value)) : vb::Variant();
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
      return cell.value.text_value ? DateValue(cell.value.text_value, cell.type) : vb::Variant();
    default: return vb::Variant();
  }
}

}  // namespace

std::vector<Worksheet> ReadXls(const std::filesystem::path& file, const ReadLimits&) {
  Handle xls(file);
  unsigned int count = 0;
  if (freexl_get_info(xls.get(), FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) RaiseUnreadable("no worksheets");
  std::vector<Worksheet> sheets;
  for (unsigned short index = 0; index < count; ++index) {
    Worksheet sheet;
    const char* name = nullptr;
    if (freexl_get_worksheet_name(xls.get(), index, &name) != FREEXL_OK) RaiseUnreadable("a worksheet without name");
    sheet.name = vb::FromUtf8(name ? name : "");
    if (freexl_select_active_worksheet(xls.get(), index) != FREEXL_OK) RaiseUnreadable("a damaged worksheet");
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(xls.get(), &rows, &columns) != FREEXL_OK) RaiseUnreadable("a damaged worksheet");
    rows = std::min<unsigned int>(rows, kMaxRows);
    columns = static_cast<unsigned short>(std::min<unsigned int>(columns, kMaxColumns));
    for (unsigned int r = 0; r < rows; ++r) {
      Row row{r + 1, {}};
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue cell;
        if (freexl_get_cell_value(xls.get(), r, c, &cell) != FREEXL_OK) continue;
        vb::Variant value = CellValue(cell);
        if (!value.IsEmpty()) row.cells.push_back(Cell{static_cast<uint32_t>(c) + 1, std::move(value)});
      }
      if (!row.cells.empty()) sheet.rows.push_back(std::move(row));
    }
    sheets.push_back(std::move(sheet));
  }
  return sheets;
}

}  // namespace workbook::detail
