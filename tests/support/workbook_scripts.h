#pragma once
// Workbooks made and read by the Python libraries that the machine carries
// (openpyxl for .xlsx, xlwt and xlrd for .xls), to hold the workbook layer
// to what other programs write and read.
#include <filesystem>
#include <string>

#include "support/run_command.h"

namespace qe_test {

// Every filled cell of every worksheet as openpyxl reads it, one line each:
// "sheet NAME", then "A1=type:repr".
inline constexpr char kDumpWithOpenpyxl[] = R"(
import sys, datetime, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
for ws in wb.worksheets:
    print("sheet", ws.title)
    for row in ws.iter_rows():
        for c in row:
            v = c.value
            if v is None: continue
            if isinstance(v, datetime.datetime): v = v.isoformat()
            print(f"{c.coordinate}={type(c.value).__name__}:{v!r}")
)";

// The same as xlrd reads it (both formats): "A1=ctype:repr", dates as ISO text.
inline constexpr char kDumpWithXlrd[] = R"(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1])
for s in b.sheets():
    print("sheet", s.name)
    for r in range(s.nrows):
        for c in range(s.ncols):
            cell = s.cell(r, c)
            if cell.ctype in (0, 6): continue
            v = cell.value
            if cell.ctype == 3: v = xlrd.xldate.xldate_as_datetime(v, b.datemode).isoformat()
            print(f"{xlrd.cellname(r, c)}={cell.ctype}:{v!r}")
)";

// Each part of a zip package with a digest of its bytes: "name sha256".
inline constexpr char kPartDigests[] = R"(
import sys, zipfile, hashlib
with zipfile.ZipFile(sys.argv[1]) as z:
    for n in sorted(z.namelist()):
        print(n, hashlib.sha256(z.read(n)).hexdigest())
)";

inline std::string RunOn(const char* script, const std::filesystem::path& file) {
  CommandResult r = RunPython(script, ShellQuoted(file.string()));
  return r.status == 0 ? r.output : "failed: " + r.output;
}

// Writes a workbook with a Python program given the target path as argv[1].
inline bool MakeWorkbook(const std::string& program, const std::filesystem::path& file) {
  return RunPython(program, ShellQuoted(file.string())).status == 0;
}

}  // namespace qe_test
