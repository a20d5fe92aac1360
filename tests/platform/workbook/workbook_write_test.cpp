// Writing .xlsx workbooks: what other programs read of a new one, and an
// existing one whose untouched parts stay byte for byte.
#include <gtest/gtest.h>

#include <set>

#include "platform/vb/datetime.h"
#include "platform/workbook/workbook_package.h"
#include "support/temp_site.h"
#include "support/workbook_scripts.h"

namespace {

namespace stdfs = std::filesystem;
using vb::Variant;
using workbook::SheetRows;
using workbook::WorkbookPackage;

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

}  // namespace
