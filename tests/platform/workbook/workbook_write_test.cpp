// Writing workbooks. .xlsx: what other programs read of a new one, and an
// existing one whose untouched parts stay byte for byte. .xls: what xlrd and
// the layer's own reader find, texts long enough to run on in CONTINUE
// records, a file large enough that its allocation table needs DIFAT
// sectors, and what the format cannot hold.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "platform/vb/datetime.h"
#include "platform/workbook/workbook_package.h"
#include "platform/workbook/xls_workbook.h"
#include "support/temp_site.h"
#include "support/workbook_scripts.h"

namespace {

namespace stdfs = std::filesystem;
using vb::Variant;
using workbook::SheetRows;
using workbook::WorkbookPackage;
using workbook::XlsWorkbook;

std::vector<Variant> Row(std::initializer_list<Variant> values) { return values; }

// "part digest" lines as a map.
std::map<std::string, std::string> Digests(const stdfs::path& file) {
  std::map<std::string, std::string> out;
  std::istringstream lines(qe_test::RunOn(qe_test::kPartDigests, file));
  std::string name, digest;
  while (lines >> name >> digest) out[name] = digest;
  return out;
}

int32_t ErrorOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const vb::Error& e) {
    return e.Number();
  }
  return 0;
}

class WorkbookWriteTest : public ::testing::Test {
 protected:
  stdfs::path File(const std::string& name) const { return site_.Host(name); }
  qe_test::TempSite site_;
};

TEST_F(WorkbookWriteTest, ANewWorkbookReadsBackInOtherPrograms) {
  auto package = WorkbookPackage::New();
  SheetRows rows(*package);
  rows.AddRow(Row({Variant(u"姓名"), Variant(u"分数"), Variant(u"日期"), Variant(u"通过"), Variant(u"备注")}));
  rows.AddRow(Row({Variant(u"张三"), Variant(int32_t{90}), Variant(vb::DateSerial(2024, 1, 5)), Variant(true),
                   Variant(u" O'Brien <&>\r\n"), Variant(u"_x0041_\x01")}));
  rows.AddRow(Row({Variant(u"李四"), Variant(vb::Currency{855000}),
                   Variant(vb::Date{vb::DateSerial(2024, 2, 29).serial + 0.5}), Variant(false), Variant::Null()}));
  rows.AddRow(Row({Variant(int16_t{-7}), Variant(uint8_t{255}), Variant(0.1f), Variant(1e300),
                   Variant(vb::Array::OfBytes({1, 2}))}));
  package->AddWorksheet(u"成绩", std::move(rows));
  package->Save(File("new.xlsx"));
  EXPECT_EQ(qe_test::RunOn(qe_test::kDumpWithOpenpyxl, File("new.xlsx")),
            "sheet Sheet1\n"
            "sheet 成绩\n"
            "A1=str:'姓名'\nB1=str:'分数'\nC1=str:'日期'\nD1=str:'通过'\nE1=str:'备注'\n"
            "A2=str:'张三'\nB2=int:90\nC2=datetime:'2024-01-05T00:00:00'\nD2=bool:True\n"
            "E2=str:\" O'Brien <&>\\r\\n\"\n"
            // openpyxl leaves the application's escapes as they stand.
            "F2=str:'_x005F_x0041__x0001_'\n"
            "A3=str:'李四'\nB3=float:85.5\nC3=datetime:'2024-02-29T12:00:00'\nD3=bool:False\n"
            "A4=int:-7\nB4=int:255\nC4=float:0.10000000149011612\nD4=float:1e+300\n");
  EXPECT_EQ(qe_test::RunOn(qe_test::kDumpWithXlrd, File("new.xlsx")),
            "sheet Sheet1\n"
            "sheet 成绩\n"
            "A1=1:'姓名'\nB1=1:'分数'\nC1=1:'日期'\nD1=1:'通过'\nE1=1:'备注'\n"
            "A2=1:'张三'\nB2=2:90.0\nC2=3:'2024-01-05T00:00:00'\nD2=4:1\nE2=1:\" O'Brien <&>\\r\\n\"\n"
            "F2=1:'_x0041_\\x01'\n"
            "A3=1:'李四'\nB3=2:85.5\nC3=3:'2024-02-29T12:00:00'\nD3=4:0\n"
            "A4=2:-7.0\nB4=2:255.0\nC4=2:0.10000000149011612\nD4=2:1e+300\n");
  // Read back by the layer itself, dates come back as dates.
  auto sheets = workbook::ReadWorkbook(File("new.xlsx"));
  ASSERT_EQ(sheets.size(), 2u);
  EXPECT_EQ(sheets[1].Value(3, 3), Variant(vb::Date{vb::DateSerial(2024, 2, 29).serial + 0.5}));
  EXPECT_EQ(sheets[1].Value(2, 5), Variant(u" O'Brien <&>\r\n"));
  EXPECT_EQ(sheets[1].Value(2, 6), Variant(u"_x0041_\x01"));
}

TEST_F(WorkbookWriteTest, AnExistingWorkbookKeepsEveryPartItDoesNotTouch) {
  ASSERT_TRUE(qe_test::MakeWorkbook(R"(
import sys, openpyxl
from openpyxl.styles import Font
wb = openpyxl.Workbook()
other = wb.active
other.title = "Other"
other["A1"] = "keep me"
other["A1"].font = Font(bold=True)
other.column_dimensions["A"].width = 40
t = wb.create_sheet("T")
t["A1"] = "old"
t["A70000"] = "beyond the old grid"
t.merge_cells("B2:C3")
wb.save(sys.argv[1])
)",
                                    File("old.xlsx")));
  auto before = Digests(File("old.xlsx"));
  auto package = WorkbookPackage::Open(File("old.xlsx"));
  EXPECT_EQ(package->SheetNames(), (std::vector<vb::String>{u"Other", u"T"}));
  EXPECT_EQ(package->FindSheet(u"t"), std::optional<size_t>(1));
  SheetRows replaced(*package);
  replaced.AddRow(Row({Variant(u"new"), Variant(vb::DateSerial(2020, 5, 6))}));
  package->ReplaceRows(1, std::move(replaced));
  SheetRows added(*package);
  added.AddRow(Row({Variant(u"added")}));
  package->AddWorksheet(u"Added", std::move(added));
  package->Save(File("old.xlsx"));

  auto after = Digests(File("old.xlsx"));
  const std::set<std::string> touched = {"[Content_Types].xml", "xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                                         "xl/styles.xml", "xl/worksheets/sheet2.xml"};
  for (const auto& [part, digest] : before) {
    if (touched.count(part)) continue;
    EXPECT_EQ(after[part], digest) << part;
  }
  EXPECT_EQ(after.size(), before.size() + 1);
  EXPECT_EQ(qe_test::RunOn(qe_test::kDumpWithOpenpyxl, File("old.xlsx")),
            "sheet Other\nA1=str:'keep me'\n"
            "sheet T\nA1=str:'new'\nB1=datetime:'2020-05-06T00:00:00'\n"
            "sheet Added\nA1=str:'added'\n");
  EXPECT_EQ(std::distance(stdfs::directory_iterator(site_.Drive()), {}), 2);  // no temporary file left (site + file)
}

TEST_F(WorkbookWriteTest, NamesTheApplicationRefusesAreRefused) {
  auto package = WorkbookPackage::New();
  for (const vb::String& name : {vb::String(u""), vb::String(32, u'x'), vb::String(u"a/b"), vb::String(u"[x]"),
                                 vb::String(u"a:b"), vb::String(u"'x"), vb::String(u"x'"), vb::String(u"sheet1")}) {
    EXPECT_EQ(ErrorOf([&] { package->AddWorksheet(name, SheetRows(*package)); }), 1004) << vb::ToUtf8(name);
  }
  package->AddWorksheet(vb::String(31, u'表'), SheetRows(*package));
  EXPECT_EQ(package->SheetNames().size(), 2u);
  // A folder that is not there: nothing is written.
  EXPECT_NE(ErrorOf([&] { package->Save(File("none/x.xlsx")); }), 0);
  EXPECT_FALSE(stdfs::exists(File("none")));
}

// ---- .xls ----

// Each cell as xlrd reads it with formatting: blanks included, dates with
// the format their cell names.
constexpr char kXlrdWithFormats[] = R"(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
for s in b.sheets():
    print("sheet", s.name)
    for r in range(s.nrows):
        for c in range(s.ncols):
            cell = s.cell(r, c)
            if cell.ctype == 0: continue
            v = cell.value
            if cell.ctype == 3:
                v = xlrd.xldate.xldate_as_datetime(v, b.datemode).isoformat()
                v += " " + b.format_map[b.xf_list[cell.xf_index].format_key].format_str
            print(f"{xlrd.cellname(r, c)}={cell.ctype}:{v!r}")
)";

std::vector<workbook::Row> Rows(const std::vector<std::vector<Variant>>& values) {
  workbook::Worksheet sheet;
  for (const auto& row : values) workbook::AppendXlsRow(sheet, row);
  return sheet.rows;
}

TEST_F(WorkbookWriteTest, XlsANewWorkbookReadsBackInXlrdAndInTheLayer) {
  XlsWorkbook book = XlsWorkbook::New();
  const Variant day(vb::DateSerial(2024, 1, 5));
  const Variant noon(vb::Date{vb::DateSerial(2024, 2, 29).serial + 0.5});
  book.AddWorksheet(u"成绩", Rows({
                                   {Variant(u"姓名"), Variant(u"分数"), Variant(u"日期")},
                                   {Variant(u"张三"), Variant(int32_t{90}), day, Variant(true), Variant(u"姓名")},
                                   {Variant(u"O'Brien"), Variant(vb::Currency{855000}), noon, Variant(false),
                                    Variant::Null(), Variant(u"")},
                                   {Variant(int16_t{-7}), Variant(0.1), Variant(INFINITY),
                                    Variant(vb::ErrorCode{static_cast<int32_t>(0x800A07D7)}), Variant(),
                                    Variant(vb::Array::OfBytes({1, 2})), Variant(u"\U0001F600 é")},
                               }));
  book.Save(File("new.xls"));
  EXPECT_EQ(workbook::FormatOf(File("new.xls")), workbook::Format::kXls);
  EXPECT_EQ(qe_test::RunOn(kXlrdWithFormats, File("new.xls")),
            "sheet Sheet1\n"
            "sheet 成绩\n"
            "A1=1:'姓名'\nB1=1:'分数'\nC1=1:'日期'\n"
            "A2=1:'张三'\nB2=2:90.0\nC2=3:'2024-01-05T00:00:00 yyyy-mm-dd'\nD2=4:1\nE2=1:'姓名'\n"
            "A3=1:\"O'Brien\"\nB3=2:85.5\nC3=3:'2024-02-29T12:00:00 yyyy-mm-dd hh:mm:ss'\nD3=4:0\nE3=6:''\n"
            "F3=1:''\n"
            "A4=2:-7.0\nB4=2:0.1\nC4=5:36\nD4=5:7\nG4=1:'\U0001F600 é'\n");
  auto sheets = workbook::ReadWorkbook(File("new.xls"));
  ASSERT_EQ(sheets.size(), 2u);
  EXPECT_TRUE(sheets[0].rows.empty());
  EXPECT_EQ(sheets[1].Value(2, 3), day);
  EXPECT_EQ(sheets[1].Value(3, 3), noon);
  EXPECT_EQ(sheets[1].Value(3, 2), Variant(vb::Currency{855000}));  // by its currency format
  EXPECT_EQ(sheets[1].Value(4, 4), Variant(vb::ErrorCode{static_cast<int32_t>(0x800A07D7)}));
  EXPECT_EQ(sheets[1].Value(4, 7), Variant(u"\U0001F600 é"));
}

// 240 texts of up to 32,767 characters: wide and compressed ones, with
// surrogate pairs where a record may end; some 8 MB, past what 109 table
// sectors cover.
TEST_F(WorkbookWriteTest, XlsLongTextsRunOnInContinueRecordsAndALargeFileGetsDifatSectors) {
  constexpr int kTexts = 240;
  auto text = [](int i) {
    vb::String s;
    if (i % 2 == 0) {
      vb::String piece(4093, static_cast<char16_t>(0x4E00 + i));
      piece += u"\U0001F600";
      for (int k = 0; k < 8; ++k) s += piece;
    } else {
      s = u"é" + vb::String(32766, static_cast<char16_t>(u'a' + i % 26));
    }
    return s;
  };
  std::vector<std::vector<Variant>> values;
  for (int i = 0; i < kTexts; ++i) values.push_back({Variant(text(i)), Variant(int32_t{i})});
  XlsWorkbook book = XlsWorkbook::New();
  book.ReplaceRows(0, Rows(values));
  book.Save(File("big.xls"));
  EXPECT_GT(stdfs::file_size(File("big.xls")), uint64_t{109} * 128 * 512);
  EXPECT_EQ(qe_test::RunOn(R"(
import sys, xlrd
s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
def text(i):
    if i % 2 == 0: return (chr(0x4E00 + i) * 4093 + "\U0001F600") * 8
    return "é" + chr(97 + i % 26) * 32766
bad = [i for i in range(240) if s.cell_value(i, 0) != text(i) or s.cell_value(i, 1) != i]
print(s.nrows, bad)
)",
                           File("big.xls")),
            "240 []\n");
  auto sheets = workbook::ReadWorkbook(File("big.xls"));
  ASSERT_EQ(sheets.size(), 1u);
  for (int i = 0; i < kTexts; ++i) ASSERT_EQ(sheets[0].Value(i + 1, 1), Variant(text(i))) << i;
}

// Where texts run on in CONTINUE records: never between the halves of a
// surrogate pair, and never with a text's count and flags past the end of
// the record it starts in (8,224 bytes at most), as xlrd checks.
TEST_F(WorkbookWriteTest, XlsTextsRunOnOnlyWhereTheFormatAllows) {
  vb::String emoji = u"x";
  for (int i = 0; i < 3000; ++i) emoji += u"\U0001F600";
  const struct {
    const char* name;
    std::vector<vb::String> texts;
  } cases[] = {{"pairs.xls", {emoji}}, {"headers.xls", {vb::String(8211, u'a'), u"abc"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::vector<Variant>> values;
    for (const vb::String& text : c.texts) values.push_back({Variant(text)});
    XlsWorkbook book = XlsWorkbook::New();
    book.ReplaceRows(0, Rows(values));
    book.Save(File(c.name));
    std::string expected = "8224\n";
    for (const vb::String& text : c.texts) expected += vb::ToUtf8(text) + "\n";
    EXPECT_EQ(qe_test::RunOn(R"(
import sys, struct, xlrd
from xlrd import compdoc
data = open(sys.argv[1], 'rb').read()
stream = compdoc.CompDoc(data).get_named_stream('Workbook')
at, longest = 0, 0
while at + 4 <= len(stream):
    kind, size = struct.unpack('<HH', stream[at:at + 4])
    longest, at = max(longest, size), at + 4 + size
print(max(longest, 8224))
s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
for r in range(s.nrows): print(s.cell_value(r, 0))
)",
                             File(c.name)),
              expected);
  }
}

TEST_F(WorkbookWriteTest, XlsWhatTheFormatCannotHoldIsRefusedAndNothingIsWritten) {
  workbook::Worksheet sheet;
  EXPECT_EQ(ErrorOf([&] { workbook::AppendXlsRow(sheet, std::vector<Variant>(257, Variant(1.0))); }), 1004);
  EXPECT_EQ(ErrorOf([&] { workbook::AppendXlsRow(sheet, {Variant(vb::String(32768, u'x'))}); }), 1004);
  workbook::AppendXlsRow(sheet, {Variant(vb::String(32767, u'x'))});
  sheet.rows.back().number = 65536;
  EXPECT_EQ(ErrorOf([&] { workbook::AppendXlsRow(sheet, {Variant(1.0)}); }), 1004);
  // A sheet taken over from a file is checked when the workbook is written.
  XlsWorkbook book = XlsWorkbook::New();
  book.ReplaceRows(0, {workbook::Row{1, {workbook::Cell{1, Variant(vb::String(40000, u'y'))}}}});
  EXPECT_EQ(ErrorOf([&] { book.Save(File("long.xls")); }), 1004);
  EXPECT_FALSE(stdfs::exists(File("long.xls")));
  EXPECT_EQ(ErrorOf([&] { book.AddWorksheet(u"sheet1", {}); }), 1004);
}

}  // namespace
