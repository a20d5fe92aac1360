// Office Open XML packages whose parts come from anywhere: the input is cut
// at "\0\0" into a worksheet, the shared strings, the styles, the workbook
// and its relationships (a missing piece takes a valid default). Reading
// gives cells within the grid or the unreadable-workbook error; a package
// that opens for writing takes a new worksheet and is saved whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <zip.h>

#include "platform/workbook/workbook.h"
#include "platform/workbook/workbook_package.h"
#include "temp_folder.h"

namespace {

const char* const kDefaults[] = {
    R"(<worksheet><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c><c s="1"><v>45000.5</v></c></row></sheetData></worksheet>)",
    R"(<sst><si><t>text_x0041_</t></si></sst>)",
    R"(<styleSheet><numFmts><numFmt numFmtId="164" formatCode="yyyy"/></numFmts><cellXfs><xf numFmtId="0"/><xf numFmtId="164"/></cellXfs></styleSheet>)",
    R"(<workbook xmlns:r="r"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)",
    R"(<Relationships><Relationship Id="rId1" Type="x/worksheet" Target="worksheets/s.xml"/><Relationship Id="rId2" Type="x/sharedStrings" Target="strings.xml"/><Relationship Id="rId3" Type="x/styles" Target="../xl/styles.xml"/></Relationships>)",
};
const char* const kNames[] = {"xl/worksheets/s.xml", "xl/strings.xml", "xl/styles.xml", "xl/workbook.xml",
                              "xl/_rels/workbook.xml.rels"};

std::string Folder() {
  static const TempFolder folder("qe-fuzz-workbook-");
  return folder.Path().string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  for (size_t start = 0; parts.size() < 5;) {
    size_t end = input.find(std::string("\0\0", 2), start);
    if (end == std::string::npos) {
      if (start < input.size()) parts.push_back(input.substr(start));
      break;
    }
    parts.push_back(input.substr(start, end - start));
    start = end + 2;
  }
  for (size_t i = parts.size(); i < 5; ++i) parts.push_back(kDefaults[i]);
  const std::string file = Folder() + "/book.xlsx";
  int code = 0;
  zip_t* z = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!z) std::abort();
  for (size_t i = 0; i < 5; ++i) {
    zip_source_t* s = zip_source_buffer(z, parts[i].data(), parts[i].size(), 0);
    zip_int64_t index = zip_file_add(z, kNames[i], s, ZIP_FL_OVERWRITE);
    if (index < 0) std::abort();
    zip_set_file_compression(z, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  if (zip_close(z) != 0) std::abort();
  try {
    for (const workbook::Worksheet& sheet : workbook::ReadWorkbook(file))
      for (const workbook::Row& row : sheet.rows)
        for (const workbook::Cell& cell : row.cells)
          if (row.number > workbook::kMaxRows || cell.column > workbook::kMaxColumns) std::abort();
  } catch (const vb::Error& e) {
    if (e.Number() != 1004) std::abort();
  }
  try {
    auto package = workbook::WorkbookPackage::Open(file);
    workbook::SheetRows rows(*package);
    rows.AddRow({vb::Variant(u"a"), vb::Variant(vb::Date{45000.5})});
    package->AddWorksheet(u"Qe", std::move(rows));
    package->Save(file);
    (void)workbook::ReadWorkbook(file);
  } catch (const vb::Error&) {
  }
  return 0;
}
