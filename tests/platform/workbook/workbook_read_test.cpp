// Reading workbooks that other programs wrote: the cells' values as the
// spreadsheet application gives them, the grid's bounds, and files that are
// damaged, hostile or no workbooks at all.
#include <gtest/gtest.h>
#include <zip.h>

#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/workbook/workbook.h"
#include "platform/workbook/workbook_internal.h"
#include "support/temp_site.h"
#include "support/workbook_scripts.h"

namespace {

namespace stdfs = std::filesystem;
using workbook::Worksheet;

// Every filled cell as "sheet NAME" and "A1=vartype:text" lines.
std::string Cells(const std::vector<Worksheet>& sheets) {
  std::string out;
  for (const Worksheet& s : sheets) {
    out += "sheet " + vb::ToUtf8(s.name) + "\n";
    for (const auto& row : s.rows)
      for (const auto& cell : row.cells) {
        std::string text;
        if (cell.value.Holds<vb::Date>()) {
          vb::DateParts p = vb::PartsOfDate(cell.value.As<vb::Date>());
          char buffer[32];
          std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                        p.second);
          text = buffer;
        } else if (cell.value.Holds<vb::ErrorCode>()) {
          text = std::to_string(cell.value.As<vb::ErrorCode>().scode & 0xFFFF);
        } else {
          text = vb::ToUtf8(vb::CStr(cell.value));
        }
        out += workbook::detail::ColumnName(cell.column) + std::to_string(row.number) + "=" +
               std::to_string(cell.value.Type()) + ":" + text + "\n";
      }
  }
  return out;
}

// A zip package with the given parts.
void WritePackage(const stdfs::path& file, const std::vector<std::pair<std::string, std::string>>& parts) {
  int code = 0;
  zip_t* z = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  ASSERT_NE(z, nullptr);
  for (const auto& [name, text] : parts) {
    zip_source_t* s = zip_source_buffer(z, text.data(), text.size(), 0);
    ASSERT_GE(zip_file_add(z, name.c_str(), s, 0), 0);
  }
  ASSERT_EQ(zip_close(z), 0);
}

// The least package the reader accepts, with one sheet of the given XML.
std::vector<std::pair<std::string, std::string>> OneSheet(const std::string& sheet_xml) {
  return {{"xl/workbook.xml",
           R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
          {"xl/_rels/workbook.xml.rels",
           R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/s.xml"/></Relationships>)"},
          {"xl/worksheets/s.xml", sheet_xml}};
}

int32_t ErrorOf(const stdfs::path& file, const workbook::ReadLimits& limits = {}) {
  try {
    workbook::ReadWorkbook(file, limits);
  } catch (const vb::Error& e) {
    return e.Number();
  }
  return 0;
}

class WorkbookReadTest : public ::testing::Test {
 protected:
  stdfs::path File(const std::string& name) const { return site_.Host(name); }
  qe_test::TempSite site_;
};

TEST_F(WorkbookReadTest, AnOpenpyxlWorkbookReadsAsTheApplicationShowsIt) {
  stdfs::path file = File("made.xlsx");
  ASSERT_TRUE(qe_test::MakeWorkbook(R"(
import sys, datetime, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "成绩"
ws.append(["姓名", "分数", "日期", "通过", "备注"])
ws.append(["张三", 90, datetime.datetime(2024, 1, 5, 8, 30), True, "O'Brien _x000D_ 007"])
ws.append(["李四", 85.5, datetime.date(1900, 1, 1), False, "line\r\nbreak"])
ws["F2"], ws["F3"] = 12.5, 3
ws["F2"].number_format, ws["F3"].number_format = '"¥"#,##0.00', "[$-804]0.00"
ws["IV7"] = "last column"
ws["IW7"] = "past the grid"
ws["A65536"] = "last row"
ws["A65537"] = "past the grid"
wb.create_sheet("Empty")
wb.save(sys.argv[1])
)",
                                    file));
  EXPECT_EQ(Cells(workbook::ReadWorkbook(file)),
            "sheet 成绩\n"
            "A1=8:姓名\nB1=8:分数\nC1=8:日期\nD1=8:通过\nE1=8:备注\n"
            "A2=8:张三\nB2=5:90\nC2=7:2024-01-05 08:30:00\nD2=11:True\nE2=8:O'Brien \r 007\nF2=6:12.5\n"
            "A3=8:李四\nB3=5:85.5\nC3=7:1900-01-01 00:00:00\nD3=11:False\nE3=8:line\r\nbreak\nF3=5:3\n"
            "IV7=8:last column\nA65536=8:last row\n"
            "sheet Empty\n");
}

TEST_F(WorkbookReadTest, AnXlwtWorkbookReadsTheSame) {
  stdfs::path file = File("made.xls");
  ASSERT_TRUE(qe_test::MakeWorkbook(R"(
import sys, datetime, xlwt
wb = xlwt.Workbook(encoding="utf-8")
ws = wb.add_sheet("成绩")
when = xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm:ss")
for c, v in enumerate(["姓名", "分数", "日期"]): ws.write(0, c, v)
ws.write(1, 0, "张三"); ws.write(1, 1, 90); ws.write(1, 2, datetime.datetime(2024, 1, 5, 8, 30), when)
ws.write(2, 0, "O'Brien"); ws.write(2, 1, 85.5); ws.write(2, 2, 12.5, xlwt.easyxf(num_format_str="[$¥-804]#,##0.00"))
ws.write(3, 255, "last column")
wb.add_sheet("Empty")
wb.save(sys.argv[1])
)",
                                    file));
  EXPECT_EQ(workbook::FormatOf(file), workbook::Format::kXls);
  EXPECT_EQ(Cells(workbook::ReadWorkbook(file)),
            "sheet 成绩\n"
            "A1=8:姓名\nB1=8:分数\nC1=8:日期\n"
            "A2=8:张三\nB2=5:90\nC2=7:2024-01-05 08:30:00\n"
            "A3=8:O'Brien\nB3=5:85.5\nC3=6:12.5\n"
            "IV4=8:last column\n"
            "sheet Empty\n");
}

// Shared strings past one record (a string cut between records changes its
// width there), Booleans, the 1904 date system, many sheets.
TEST_F(WorkbookReadTest, AnXlwtWorkbookWithLongStringsAndThe1904SystemReadsWhole) {
  stdfs::path file = File("long.xls");
  ASSERT_TRUE(qe_test::MakeWorkbook(R"(
import sys, datetime, xlwt
wb = xlwt.Workbook(encoding="utf-8")
wb.dates_1904 = True
ws = wb.add_sheet("S")
day = xlwt.easyxf(num_format_str="yyyy-mm-dd")
for r in range(3000): ws.write(r, 0, "string %05d " % r + ("汉" if r % 2 else "x") * 20)
ws.write(0, 1, "a" * 5000 + "中" * 5000)
ws.write(1, 1, True); ws.write(2, 1, False)
ws.write(3, 1, datetime.date(2024, 2, 29), day)
ws.write(4, 1, -123456789.125); ws.write(5, 1, 536870911); ws.write(6, 1, 0.01)
for i in range(20): wb.add_sheet("sheet%d" % i).write(i, i, i)
wb.save(sys.argv[1])
)",
                                    file));
  auto sheets = workbook::ReadWorkbook(file);
  ASSERT_EQ(sheets.size(), 21u);
  const Worksheet& s = sheets[0];
  EXPECT_EQ(s.LastRowOfColumn(1), 3000u);
  for (uint32_t r = 1; r <= 3000; ++r) {
    std::string digits = std::to_string(r - 1);
    vb::String expected = u"string " + vb::FromUtf8(std::string(5 - digits.size(), '0') + digits) + u" " +
                          vb::String(20, r % 2 ? u'x' : u'汉');
    ASSERT_EQ(s.Value(r, 1), vb::Variant(expected)) << r;
  }
  EXPECT_EQ(s.Value(1, 2), vb::Variant(vb::String(5000, u'a') + vb::String(5000, u'中')));
  EXPECT_EQ(s.Value(2, 2), vb::Variant(true));
  EXPECT_EQ(s.Value(3, 2), vb::Variant(false));
  EXPECT_EQ(s.Value(4, 2), vb::Variant(vb::DateSerial(2024, 2, 29)));
  EXPECT_EQ(s.Value(5, 2), vb::Variant(-123456789.125));
  EXPECT_EQ(s.Value(6, 2), vb::Variant(536870911.0));
  EXPECT_EQ(s.Value(7, 2), vb::Variant(0.01));
  EXPECT_EQ(sheets[20].name, u"sheet19");
  EXPECT_EQ(sheets[20].Value(20, 20), vb::Variant(19.0));
}

TEST_F(WorkbookReadTest, CellTypesStylesAndReferencesAsTheFormatDefinesThem) {
  stdfs::path file = File("cells.xlsx");
  auto parts = OneSheet(
      R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
      R"(<row r="2"><c r="B2" t="s"><v>1</v></c><c t="s"><v>0</v></c><c r="E2" t="inlineStr"><is><r><t>rich </t></r><r><t xml:space="preserve">text </t></r><rPh><t>phonetic</t></rPh></is></c></row>)"
      R"(<row><c t="e"><v>#N/A</v></c><c t="b"><v>1</v></c><c s="1"><v>45296.5</v></c><c s="2"><v>0.25</v></c><c t="str"><v>formula text</v></c><c t="d"><v>2024-02-29T13:45:07</v></c><c><v>1E3</v></c><c t="s"><v>99</v></c><c><v>not a number</v></c></row>)"
      R"(</sheetData></worksheet>)");
  parts[1].second.insert(parts[1].second.find("</Relationships>"),
                         R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="strings.xml"/>)"
                         R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="/xl/styles.xml"/>)");
  parts.push_back({"xl/strings.xml", R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><t>first</t></si><si><t>second_x0009_tab</t></si></sst>)"});
  parts.push_back({"xl/styles.xml",
                   R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><numFmts><numFmt numFmtId="164" formatCode="[h]:mm"/></numFmts>)"
                   R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="31"/><xf numFmtId="164"/></cellXfs></styleSheet>)"});
  WritePackage(file, parts);
  EXPECT_EQ(Cells(workbook::ReadWorkbook(file)),
            "sheet S\n"
            "B2=8:second\ttab\nC2=8:first\nE2=8:rich text \n"
            "A3=10:2042\nB3=11:True\nC3=7:2024-01-05 12:00:00\nD3=7:1899-12-30 06:00:00\nE3=8:formula text\n"
            "F3=7:2024-02-29 13:45:07\nG3=5:1000\n");
}

TEST_F(WorkbookReadTest, FilesThatAreNoReadableWorkbooksFailWithTheirErrors) {
  EXPECT_EQ(ErrorOf(File("missing.xlsx")), 53);
  site_.WriteFile("text.xlsx", "just some text");
  EXPECT_EQ(ErrorOf(File("text.xlsx")), 1004);
  site_.WriteFile("fake.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'));
  EXPECT_EQ(ErrorOf(File("fake.xls")), 1004);
  // A document type declaration (entities of its own) is refused outright.
  WritePackage(File("dtd.xlsx"),
               OneSheet(R"(<?xml version="1.0"?><!DOCTYPE w [<!ENTITY e "boom">]><worksheet><sheetData><row><c t="inlineStr"><is><t>&e;</t></is></c></row></sheetData></worksheet>)"));
  EXPECT_EQ(ErrorOf(File("dtd.xlsx")), 1004);
  WritePackage(File("broken.xlsx"), OneSheet("<worksheet><sheetData><row>"));
  EXPECT_EQ(ErrorOf(File("broken.xlsx")), 1004);
  WritePackage(File("nosheet.xlsx"), {{"xl/workbook.xml", "<workbook/>"}});
  EXPECT_TRUE(workbook::ReadWorkbook(File("nosheet.xlsx")).empty());
}

TEST_F(WorkbookReadTest, UnpackedPartsPastTheLimitsAreRefused) {
  std::string rows;
  for (int r = 1; r <= 2000; ++r) rows += "<row r=\"" + std::to_string(r) + "\"><c><v>" + std::to_string(r) + "</v></c></row>";
  WritePackage(File("big.xlsx"), OneSheet("<worksheet><sheetData>" + rows + "</sheetData></worksheet>"));
  workbook::ReadLimits small;
  small.max_part_bytes = 10000;
  EXPECT_EQ(ErrorOf(File("big.xlsx"), small), 1004);
  small = {};
  small.max_total_bytes = 10000;
  EXPECT_EQ(ErrorOf(File("big.xlsx"), small), 1004);
  small = {};
  small.max_file_bytes = 1000;
  EXPECT_EQ(ErrorOf(File("big.xlsx"), small), 1004);
  EXPECT_EQ(workbook::ReadWorkbook(File("big.xlsx"))[0].LastRowOfColumn(1), 2000u);
}

TEST(WorkbookCells, ReferencesDatesAndEscapes) {
  using workbook::detail::ParseCellRef;
  EXPECT_EQ(ParseCellRef("IV65536")->column, 256u);
  EXPECT_EQ(ParseCellRef("IV65536")->row, 65536u);
  EXPECT_EQ(ParseCellRef("xfd1")->column, 16384u);
  EXPECT_FALSE(ParseCellRef("XFE1"));
  EXPECT_FALSE(ParseCellRef("A1048577"));
  EXPECT_FALSE(ParseCellRef("A1B"));
  EXPECT_FALSE(ParseCellRef(""));
  EXPECT_EQ(ParseCellRef("12")->row, 12u);
  EXPECT_EQ(workbook::detail::ColumnName(27), "AA");
  EXPECT_EQ(workbook::detail::ColumnName(16384), "XFD");
  // The application's 1900-02-29 and what lies either side of it.
  using workbook::detail::DateOfSerial;
  using workbook::detail::SerialOfDate;
  EXPECT_EQ(DateOfSerial(1, false), vb::DateSerial(1900, 1, 1));
  EXPECT_EQ(DateOfSerial(59, false), vb::DateSerial(1900, 2, 28));
  EXPECT_EQ(DateOfSerial(61, false), vb::DateSerial(1900, 3, 1));
  EXPECT_EQ(DateOfSerial(0, true), vb::DateSerial(1904, 1, 1));
  EXPECT_EQ(DateOfSerial(0.75, false), vb::Date{0.75});
  for (double serial : {0.5, 1.0, 59.0, 61.0, 45296.25})
    EXPECT_EQ(SerialOfDate(DateOfSerial(serial, false)), serial);
  std::string escaped;
  workbook::detail::AppendEscapedText(escaped, u"a\r\x01_x0041_<&>\"\U0001F600\xD800");
  EXPECT_EQ(escaped, "a&#13;_x0001__x005F_x0041_&lt;&amp;&gt;&quot;\xF0\x9F\x98\x80_xD800_");
  EXPECT_EQ(workbook::detail::UnescapeText("a_x000D__x0001__x005F_x0041_"), u"a\r\x01_x0041_");
}

}  // namespace
