// Writing .xls workbooks: what xlrd and the layer's own reader find in them,
// texts long enough to run on in CONTINUE records and a file large enough
// that its allocation table needs DIFAT sectors, and what the format cannot
// hold.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/vb/datetime.h"
#include "platform/workbook/xls_workbook.h"
#include "support/file_content.h"
#include "support/temp_site.h"
#include "support/workbook_scripts.h"

namespace {

namespace stdfs = std::filesystem;
using vb::Variant;
using workbook::XlsWorkbook;

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

int32_t ErrorOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const vb::Error& e) {
    return e.Number();
  }
  return 0;
}

std::vector<workbook::Row> Rows(const std::vector<std::vector<Variant>>& values) {
  workbook::Worksheet sheet;
  for (const auto& row : values) workbook::AppendXlsRow(sheet, row);
  return sheet.rows;
}

class XlsWriteTest : public ::testing::Test {
 protected:
  stdfs::path File(const std::string& name) const { return site_.Host(name); }
  qe_test::TempSite site_;
};

TEST_F(XlsWriteTest, ANewWorkbookReadsBackInXlrdAndInTheLayer) {
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
  EXPECT_EQ(sheets[1].Value(3, 2), Variant(85.5));
  EXPECT_EQ(sheets[1].Value(4, 4), Variant(vb::ErrorCode{static_cast<int32_t>(0x800A07D7)}));
  EXPECT_EQ(sheets[1].Value(4, 7), Variant(u"\U0001F600 é"));
}

// 240 texts of up to 32,767 characters: wide and compressed ones, with
// surrogate pairs where a record may end; some 8 MB, past what 109 table
// sectors cover.
TEST_F(XlsWriteTest, LongTextsRunOnInContinueRecordsAndALargeFileGetsDifatSectors) {
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

TEST_F(XlsWriteTest, WhatTheFormatCannotHoldIsRefusedAndNothingIsWritten) {
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
