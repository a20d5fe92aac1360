// Workbook files from anywhere (.xlsx or .xls, chosen by their first bytes):
// reading them either gives worksheets within the grid or fails with the
// unreadable-workbook error, in bounded memory and time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/workbook/workbook.h"
#include "workbook_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static InputFile file;
  auto path = file.Write(data, size);
  try {
    for (const workbook::Worksheet& sheet : workbook::ReadWorkbook(path))
      for (const workbook::Row& row : sheet.rows) {
        if (row.number == 0 || row.number > workbook::kMaxRows || row.cells.empty()) std::abort();
        for (const workbook::Cell& cell : row.cells)
          if (cell.column == 0 || cell.column > workbook::kMaxColumns || cell.value.IsEmpty()) std::abort();
      }
  } catch (const vb::Error& e) {
    if (e.Number() != 1004) std::abort();
  }
  return 0;
}
