// Worksheets into tables and tables into worksheets, with workbooks that
// other programs write and read.
#include <gtest/gtest.h>

#include "data_tables.h"
#include "platform/fs/paths.h"
#include "platform/sys/shell_execute.h"
#include "platform/workbook/workbook.h"
#include "support/file_content.h"
#include "facade/qecls.h"
#include "support/server_questions.h"
#include "support/workbook_scripts.h"

namespace access_test {
namespace {

namespace stdfs = std::filesystem;

constexpr char16_t kDatabase[] = u"C:\\site\\data\\book.mdb";

// A workbook with a sheet of scores (a number column, a text column, a date
// column, a Boolean column, a gap in column A, empty cells), and sheets that
// are empty or named like a table.
constexpr char kScoresXlsx[] = R"(
import sys, datetime, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Scores"
ws.append(["Name", "Score", "Joined", "Code", "Note", "Ok"])
ws.append(["O'Brien", 90, datetime.datetime(2024, 1, 5), "007", None, True])
ws.append([None, 85.5, "later", "1,000", "&H10", False])
ws.append(["张三", None, None, None, "x", None])
ws["B7"] = 1
wb.create_sheet("Blank")
o = wb.create_sheet("Old")
o.append(["n"]); o.append([1]); o.append([2])
wb.save(sys.argv[1])
)";

constexpr char kScoresXls[] = R"(
import sys, datetime, xlwt
wb = xlwt.Workbook(encoding="utf-8")
ws = wb.add_sheet("Scores")
day = xlwt.easyxf(num_format_str="yyyy-mm-dd")
rows = [["Name", "Score", "Joined", "Code", "Note", "Ok"], ["O'Brien", 90, datetime.datetime(2024, 1, 5), "007", None, True],
        [None, 85.5, "later", "1,000", "&H10", False], ["张三", None, None, None, "x", None]]
for r, row in enumerate(rows):
    for c, v in enumerate(row):
        if v is None: continue
        if isinstance(v, datetime.datetime): ws.write(r, c, v, day)
        else: ws.write(r, c, v)
ws.write(6, 1, 1)
wb.add_sheet("Blank")
o = wb.add_sheet("Old")
o.write(0, 0, "n"); o.write(1, 0, 1); o.write(2, 0, 2)
wb.save(sys.argv[1])
)";

class ExcelTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    com::Call(MakeDatabase(kDatabase, {u"Create Table Old (n Text(10))", u"Insert Into Old (n) Values ('kept')"}),
              u"Close");
  }
  bool FromExcel(StringView book) { return access_->KesraAccessFromExcel(String(book), kDatabase); }
  bool ToExcel(StringView book) { return access_->KesraAccessToExcel(kDatabase, String(book)); }
  static String Column(StringView table, StringView column) {
    Variant catalog = Create(u"ADOX.Catalog");
    com::Let(catalog, u"ActiveConnection", Jet(kDatabase));
    Variant c = com::Call(com::Call(com::Call(catalog, u"Tables", String(table)), u"Columns"), u"Item", String(column));
    return vb::CStr(Prop(c, u"Type")) + u"/" + vb::CStr(Prop(c, u"DefinedSize"));
  }
};

TEST_F(ExcelTest, WorksheetsBecomeTablesTypedByTheirSecondRow) {
  for (const char* program : {kScoresXlsx, kScoresXls}) {
    const bool xlsx = program == kScoresXlsx;
    SCOPED_TRACE(xlsx ? "xlsx" : "xls");
    stdfs::remove(site_.Host("site/data/book.mdb"));
    SetUp();
    const String book = xlsx ? u"C:\\site\\book.xlsx" : u"C:\\site\\book.xls";
    ASSERT_TRUE(qe_test::MakeWorkbook(program, fs::ToHostPath(book)));
    sys::ClearShellRecord();
    EXPECT_TRUE(FromExcel(book));
    EXPECT_EQ(Column(u"Scores", u"Name"), u"202/255");
    EXPECT_EQ(Column(u"Scores", u"Score"), u"5/8");
    EXPECT_EQ(Column(u"Scores", u"Joined"), u"202/255");
    EXPECT_EQ(Column(u"Scores", u"Note"), u"202/255");
    // A yes/no column holds no Null: Jet's numbers for yes and no do.
    EXPECT_EQ(Column(u"Scores", u"Ok"), u"2/2");
    const Variant null = Variant::Null();
    // Down to the last filled cell of column A; 85.5 makes Score a double
    // column; every empty cell is Null.
    EXPECT_TRUE(SameRows(ReadRows(kDatabase, u"Scores", u""),
                         Rows{{Variant(u"O'Brien"), Variant(90.0), Variant(u"2024/1/5"), Variant(u"007"), null,
                               Variant(int16_t{-1})},
                              {null, Variant(85.5), Variant(u"later"), Variant(u"1,000"), Variant(u"&H10"),
                               Variant(int16_t{0})},
                              {Variant(u"张三"), null, null, null, Variant(u"x"), null}}));
    // An empty worksheet makes no table; a table of a sheet's name stays
    // without a Yes (nobody answers here: No).
    EXPECT_NE(ErrorOf([&] { Count(kDatabase, u"Blank"); }), 0);
    EXPECT_TRUE(SameRows(ReadRows(kDatabase, u"Old", u""), Rows{{Variant(u"kept")}}));
    ASSERT_EQ(sys::LoggedEvents().size(), 1u);
    EXPECT_EQ(sys::LoggedEvents()[0], u"Overrite: 同名表已存在,是否覆盖??");
    // With a Yes the table is made again from the sheet.
    qe_test::ServerQuestions answers(sys::vbYes);
    com::Call(Open(Jet(kDatabase)), u"Execute", String(u"Drop Table Scores"));
    EXPECT_TRUE(FromExcel(book));
    EXPECT_EQ(answers.Asked().size(), 1u);
    EXPECT_EQ(answers.Asked()[0].buttons, sys::vbYesNo + sys::vbQuestion + sys::vbDefaultButton2);
    EXPECT_TRUE(SameRows(ReadRows(kDatabase, u"Old", u""), Rows{{Variant(int32_t{1})}, {Variant(int32_t{2})}}));
  }
}

TEST_F(ExcelTest, AWorksheetThatCannotBeATableFailsTheCallAndLeavesItsTableAsItWas) {
  qe_test::ServerQuestions answers(sys::vbYes);
  ASSERT_TRUE(qe_test::MakeWorkbook(R"(
import sys, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Old"
ws.append(["n", "N"]); ws.append([1, 2])
wb.save(sys.argv[1])
)",
                                    site_.Host("site/bad.xlsx")));
  EXPECT_FALSE(FromExcel(u"C:\\site\\bad.xlsx"));
  EXPECT_TRUE(SameRows(ReadRows(kDatabase, u"Old", u""), Rows{{Variant(u"kept")}}));
  EXPECT_FALSE(FromExcel(u"C:\\site\\none.xlsx"));
  site_.WriteFile("site/text.xlsx", "no workbook");
  EXPECT_FALSE(FromExcel(u"C:\\site\\text.xlsx"));
}

// A column whose second row holds a number stays int only while every number
// under its header is whole and fits 32 bits, and currency only while every
// one is in a currency format: no value changes on the way in.
TEST_F(ExcelTest, NumberColumnsKeepEveryValue) {
  ASSERT_TRUE(qe_test::MakeWorkbook(R"(
import sys, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Grades"
ws.append(["Whole", "Fraction", "Large", "Least", "Fee"])
ws.append([1, 1, 1, 1, 5])
ws.append([-3, 0.1, 2**31, -2**31, 1.23456789])
ws.append([2147483647, 2.5, 2, 2, 2.5E-05])
ws["E2"].number_format = '"\u00a5"#,##0.00'
wb.save(sys.argv[1])
)",
                                    site_.Host("site/grades.xlsx")));
  EXPECT_TRUE(FromExcel(u"C:\\site\\grades.xlsx"));
  EXPECT_EQ(Column(u"Grades", u"Whole"), u"3/4");
  EXPECT_EQ(Column(u"Grades", u"Fraction"), u"5/8");
  EXPECT_EQ(Column(u"Grades", u"Large"), u"5/8");
  EXPECT_EQ(Column(u"Grades", u"Least"), u"3/4");
  EXPECT_EQ(Column(u"Grades", u"Fee"), u"5/8");
  EXPECT_TRUE(SameRows(
      ReadRows(kDatabase, u"Grades", u""),
      Rows{{Variant(int32_t{1}), Variant(1.0), Variant(1.0), Variant(int32_t{1}), Variant(5.0)},
           {Variant(int32_t{-3}), Variant(0.1), Variant(2147483648.0), Variant(INT32_MIN), Variant(1.23456789)},
           {Variant(INT32_MAX), Variant(2.5), Variant(2.0), Variant(int32_t{2}), Variant(2.5E-05)}}));
}

// Text anywhere under a header makes a text column, and text longer than 255
// characters a memo column: every row arrives, and a workbook this component
// wrote comes back with the values it was written from.
TEST_F(ExcelTest, ColumnsTakeEveryValueTheyHoldAndAnExportedTableComesBackTheSame) {
  ASSERT_TRUE(qe_test::MakeWorkbook(R"(
import sys, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Marks"
for row in [["Mark", "Essay"], [5, "short"], ["缺考", "x" * 256], [7, None]]: ws.append(row)
wb.save(sys.argv[1])
)",
                                    site_.Host("site/marks.xlsx")));
  EXPECT_TRUE(FromExcel(u"C:\\site\\marks.xlsx"));
  EXPECT_EQ(Column(u"Marks", u"Mark"), u"202/255");
  EXPECT_EQ(Column(u"Marks", u"Essay").substr(0, 4), u"203/");
  EXPECT_TRUE(SameRows(ReadRows(kDatabase, u"Marks", u""), Rows{{Variant(u"5"), Variant(u"short")},
                                                                {Variant(u"缺考"), Variant(String(256, u'x'))},
                                                                {Variant(u"7"), Variant::Null()}}));

  // Every type with an empty cell, Currency to its limits, and dates before
  // 1900, which no day serial carries.
  com::Call(Open(Jet(kDatabase)), u"Execute",
            String(u"Create Table Notes (Name Text(20), Taken DateTime, Mark Double, Body Memo, Ok Bit, Cost Currency)"));
  for (const char16_t* sql : {u"Insert Into Notes Values ('张三', #2024-01-05 08:30:00#, 12.5, '"
                              u"长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本"
                              u"长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本"
                              u"长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本"
                              u"长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本长文本', True, "
                              u"922337203685477.5807)",
                              u"Insert Into Notes Values ('李四', Null, Null, 'short', False, Null)",
                              u"Insert Into Notes Values ('王五', #2023-12-31#, 7, Null, True, 922337203685477)",
                              u"Insert Into Notes Values (Null, #1850-06-01 12:00:00#, Null, Null, False, -922337203685477.5808)",
                              u"Insert Into Notes Values ('赵六', #1899-12-31#, 0.5, 'x', True, 0.0001)"})
    com::Call(Open(Jet(kDatabase)), u"Execute", String(sql));
  const Rows before = ReadRows(kDatabase, u"Notes", u"");
  // Each amount reads back as it went in, every digit kept.
  EXPECT_EQ(before[0][5], Variant(vb::Currency{INT64_MAX}));
  EXPECT_EQ(before[2][5], Variant(vb::Currency{9223372036854770000}));
  EXPECT_EQ(before[3][5], Variant(vb::Currency{INT64_MIN}));
  for (const char16_t* book : {u"C:\\site\\notes.xls", u"C:\\site\\notes.xlsx"}) {
    SCOPED_TRACE(vb::ToUtf8(book));
    ASSERT_TRUE(ToExcel(book));
    com::Call(Open(Jet(kDatabase)), u"Execute", String(u"Drop Table Notes"));
    ASSERT_TRUE(FromExcel(book));
    EXPECT_TRUE(SameRows(ReadRows(kDatabase, u"Notes", u""), before));
  }
}

class ToExcelTest : public ExcelTest {
 protected:
  void SetUp() override {
    ExcelTest::SetUp();
    Variant conn = Open(Jet(kDatabase));
    for (const char16_t* sql :
         {u"Create Table Scores (Name Text(20), Score Long, [When] DateTime, Ok Bit, Data LongBinary, Cost Currency)",
          u"Insert Into Scores (Name, Score, [When], Ok, Cost) Values ('O''Brien', 90, #2024-01-05 08:30:00#, True, 12.5)",
          u"Insert Into Scores (Name, Score, Ok) Values ('007', Null, False)",
          u"Insert Into Scores (Name, [When], Ok) Values ('old', #1850-06-01 12:00#, True)",
          u"Create Table [~Scratch] (n Long)"})
      com::Call(conn, u"Execute", String(sql));
    com::Call(conn, u"Close");
  }
  std::string Openpyxl(const std::string& name) const {
    return qe_test::RunOn(qe_test::kDumpWithOpenpyxl, site_.Host(name));
  }
};

TEST_F(ToExcelTest, ANewWorkbookGetsASheetPerTable) {
  EXPECT_TRUE(ToExcel(u"C:\\site\\out.xlsx"));
  EXPECT_EQ(workbook::FormatOf(site_.Host("site/out.xlsx")), workbook::Format::kXlsx);
  // A date before 1900 goes as its text: no day serial means it to both.
  const std::string tables =
      "sheet Old\nA1=str:'n'\nA2=str:'kept'\n"
      "sheet Scores\n"
      "A1=str:'Name'\nB1=str:'Score'\nC1=str:'When'\nD1=str:'Ok'\nE1=str:'Data'\nF1=str:'Cost'\n"
      "A2=str:\"O'Brien\"\nB2=int:90\nC2=datetime:'2024-01-05T08:30:00'\nD2=bool:True\nF2=float:12.5\n"
      "A3=str:'007'\nD3=bool:False\n"
      "A4=str:'old'\nC4=str:'1850/6/1 12:00:00'\nD4=bool:True\n";
  EXPECT_EQ(Openpyxl("site/out.xlsx"), "sheet Sheet1\n" + tables);
  EXPECT_EQ(qe_test::RunOn(qe_test::kDumpWithXlrd, site_.Host("site/out.xlsx")),
            "sheet Sheet1\nsheet Old\nA1=1:'n'\nA2=1:'kept'\n"
            "sheet Scores\n"
            "A1=1:'Name'\nB1=1:'Score'\nC1=1:'When'\nD1=1:'Ok'\nE1=1:'Data'\nF1=1:'Cost'\n"
            "A2=1:\"O'Brien\"\nB2=2:90.0\nC2=3:'2024-01-05T08:30:00'\nD2=4:1\nF2=2:12.5\n"
            "A3=1:'007'\nD3=4:0\n"
            "A4=1:'old'\nC4=1:'1850/6/1 12:00:00'\nD4=4:1\n");
  // A new .xls name gets the 97-2003 format, which xlrd reads the same.
  EXPECT_TRUE(ToExcel(u"C:\\site\\out.xls"));
  EXPECT_EQ(workbook::FormatOf(site_.Host("site/out.xls")), workbook::Format::kXls);
  EXPECT_EQ(qe_test::RunOn(qe_test::kDumpWithXlrd, site_.Host("site/out.xls")),
            qe_test::RunOn(qe_test::kDumpWithXlrd, site_.Host("site/out.xlsx")));
}

TEST_F(ToExcelTest, AnExistingSheetIsOverwrittenOnlyAfterAYesAndOtherSheetsStayAsTheyWere) {
  ASSERT_TRUE(qe_test::MakeWorkbook(R"(
import sys, openpyxl
from openpyxl.styles import Font
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Other"
ws["A1"] = "mine"
ws["A1"].font = Font(italic=True)
wb.create_sheet("old")["A1"] = "to be replaced"
wb.save(sys.argv[1])
)",
                                    site_.Host("site/out.xlsx")));
  const std::string before = qe_test::FileContent(site_.Host("site/out.xlsx"));
  const std::string other_part = "xl/worksheets/sheet1.xml";
  auto digest = [&](const std::string& part) {
    std::string all = qe_test::RunOn(qe_test::kPartDigests, site_.Host("site/out.xlsx"));
    size_t at = all.find(part + " ");
    return at == std::string::npos ? std::string() : all.substr(at, all.find('\n', at) - at);
  };
  const std::string other_digest = digest(other_part);
  // No: a second sheet of the name is refused, and the workbook is not written.
  EXPECT_FALSE(ToExcel(u"C:\\site\\out.xlsx"));
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/out.xlsx")), before);
  qe_test::ServerQuestions answers(sys::vbYes);
  EXPECT_TRUE(ToExcel(u"C:\\site\\out.xlsx"));
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_EQ(answers.Asked()[0].prompt, u"同名工作表存在, 是否覆盖?");
  EXPECT_EQ(answers.Asked()[0].title, u"Overrite");
  EXPECT_EQ(digest(other_part), other_digest);
  std::string dump = Openpyxl("site/out.xlsx");
  EXPECT_EQ(dump.substr(0, dump.find("sheet Scores")), "sheet Other\nA1=str:'mine'\nsheet old\nA1=str:'n'\nA2=str:'kept'\n");
}

// An existing .xls is opened and written back in its format: other sheets
// keep their values; a sheet of a table's name is replaced only after a Yes.
TEST_F(ToExcelTest, AnExistingOlderFormatWorkbookIsFilledInItsFormat) {
  ASSERT_TRUE(qe_test::MakeWorkbook(R"(
import sys, xlwt
wb = xlwt.Workbook(encoding="utf-8")
o = wb.add_sheet("Other")
o.write(0, 0, "mine"); o.write(1, 0, 2.5)
wb.add_sheet("old").write(0, 0, "to be replaced")
wb.save(sys.argv[1])
)",
                                    site_.Host("site/out.xls")));
  const std::string before = qe_test::FileContent(site_.Host("site/out.xls"));
  // No: a second sheet of the name is refused, and the workbook is not written.
  EXPECT_FALSE(ToExcel(u"C:\\site\\out.xls"));
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/out.xls")), before);
  qe_test::ServerQuestions answers(sys::vbYes);
  EXPECT_TRUE(ToExcel(u"C:\\site\\out.xls"));
  EXPECT_EQ(answers.Asked().size(), 1u);
  EXPECT_EQ(workbook::FormatOf(site_.Host("site/out.xls")), workbook::Format::kXls);
  std::string dump = qe_test::RunOn(qe_test::kDumpWithXlrd, site_.Host("site/out.xls"));
  EXPECT_EQ(dump.substr(0, dump.find("sheet Scores")),
            "sheet Other\nA1=1:'mine'\nA2=2:2.5\nsheet old\nA1=1:'n'\nA2=1:'kept'\n");
  EXPECT_NE(dump.find("sheet Scores\nA1=1:'Name'"), std::string::npos);
}

// Writing an .xls back from its cell values would drop whatever else it
// holds: such a workbook is refused and keeps every byte.
TEST_F(ToExcelTest, AnOlderFormatWorkbookHoldingMoreThanValuesIsRefusedUntouched) {
  const std::string head = "import sys, xlwt\nwb = xlwt.Workbook()\nws = wb.add_sheet('Other')\nws.write(0, 0, 'mine')\n";
  const std::string save = "wb.save(sys.argv[1])\n";
  const struct {
    const char* what;
    std::string program;
  } cases[] = {
      {"a formula", head + "ws.write(1, 0, xlwt.Formula('1+2'))\n" + save},
      {"merged cells", head + "ws.write_merge(1, 1, 0, 2, 'wide')\n" + save},
      {"a number format", head + "ws.write(1, 0, 0.5, xlwt.easyxf(num_format_str='0.00%'))\n" + save},
      {"a bold cell", head + "ws.write(1, 0, 'b', xlwt.easyxf('font: bold on'))\n" + save},
      {"a bordered cell", head + "ws.write(1, 0, 'b', xlwt.easyxf('borders: left thin'))\n" + save},
      {"rich text", head + "ws.write_rich_text(1, 0, ('plain ', ('bold', xlwt.easyfont('bold true'))))\n" + save},
      {"a hidden row", head + "ws.write(1, 0, 'x')\nws.row(1).hidden = True\n" + save},
      {"a row in an outline", head + "ws.write(1, 0, 'x')\nws.row(1).level = 1\n" + save},
      {"an unlocked cell", head + "ws.write(1, 0, 'u', xlwt.easyxf('protection: cell_locked false'))\n" + save},
      // A shared string with phonetic text, in place of one without.
      {"phonetic text", head + "ws.write(1, 0, '0123456789')\n" + save + R"(
import struct
b = bytearray(open(sys.argv[1], 'rb').read())
at = b.find(b'\x0a\x00\x000123456789')
assert at > 0
b[at:at + 13] = b'\x02\x00\x04' + struct.pack('<I', 4) + b'01' + bytes(4)
open(sys.argv[1], 'wb').write(b)
)"},
      {"a hidden column", head + "ws.write(0, 1, 'x')\nws.col(1).hidden = True\n" + save},
      {"a centred cell", head + "ws.write(1, 0, 'c', xlwt.easyxf('align: horiz center'))\n" + save},
      {"a protected sheet", head + "ws.protect = True\nws.password = 'x'\n" + save},
      {"a hidden sheet", head + "wb.add_sheet('Hidden').visibility = 1\n" + save},
      // A macro storage beside the workbook stream, linked into the directory.
      {"another stream", head + save + R"(
import struct
b = bytearray(open(sys.argv[1], 'rb').read())
at = b.find('Workbook'.encode('utf-16-le'))
assert at % 128 == 0 and b[at + 128 + 66] == 0
b[at + 72:at + 76] = struct.pack('<I', 2)
name = '_VBA_PROJECT_CUR'.encode('utf-16-le') + b'\0\0'
e = at + 128
b[e:e + 128] = name + bytes(64 - len(name)) + struct.pack('<HBB3I', len(name), 1, 1, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF) + bytes(52)
open(sys.argv[1], 'wb').write(b)
)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(qe_test::MakeWorkbook(c.program, site_.Host("site/out.xls")));
    const std::string before = qe_test::FileContent(site_.Host("site/out.xls"));
    qe_test::ServerQuestions answers(sys::vbYes);
    EXPECT_FALSE(ToExcel(u"C:\\site\\out.xls"));
    EXPECT_EQ(qe_test::FileContent(site_.Host("site/out.xls")), before);
    EXPECT_TRUE(answers.Asked().empty());
  }
  // The same workbook of values alone is filled.
  ASSERT_TRUE(qe_test::MakeWorkbook(head + "ws.write(1, 0, 0.5)\n" + save, site_.Host("site/out.xls")));
  EXPECT_TRUE(ToExcel(u"C:\\site\\out.xls"));
  // And so is one this component wrote, its sheets overwritten after a Yes.
  qe_test::ServerQuestions answers(sys::vbYes);
  EXPECT_TRUE(ToExcel(u"C:\\site\\out.xls"));
  EXPECT_EQ(answers.Asked().size(), 2u);
}

TEST_F(ToExcelTest, ATableNameNoSheetCanTakeFailsTheCallAfterTheNewWorkbookWasSaved) {
  com::Call(Open(Jet(kDatabase)), u"Execute", String(u"Create Table [" + String(40, u'x') + u"] (n Long)"));
  EXPECT_FALSE(ToExcel(u"C:\\site\\out.xlsx"));
  EXPECT_EQ(Openpyxl("site/out.xlsx"), "sheet Sheet1\n");
}

TEST_F(ToExcelTest, TheFacadeForwardsBothConversions) {
  Variant facade(std::make_shared<qe::QeCls>());
  EXPECT_TRUE(vb::CBool(com::Call(facade, u"CommAccessToExcel", String(kDatabase), String(u"C:\\site\\f.xlsx"))));
  com::Call(Open(Jet(kDatabase)), u"Execute", String(u"Drop Table Scores"));
  EXPECT_TRUE(vb::CBool(com::Call(facade, u"CommAccessFromExcel", String(u"C:\\site\\f.xlsx"), String(kDatabase))));
  EXPECT_EQ(Count(kDatabase, u"Scores"), 3);
}

}  // namespace
}  // namespace access_test
