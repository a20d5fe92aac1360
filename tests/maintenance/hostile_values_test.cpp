// Values that SQL text would break (quotes, "007", "1,000", "&H10", "", Null,
// bytes with NULs, the types' extremes, dates, Chinese) come out of an
// export, an import either way and a level-2 repair exactly as they went in.
#include <gtest/gtest.h>

#include "data_tables.h"
#include "support/server_questions.h"

namespace access_test {
namespace {

constexpr char16_t kSource[] = u"C:\\site\\data\\source.mdb";
constexpr char16_t kCopy[] = u"C:\\site\\data\\copy.mdb";
constexpr char16_t kTable[] = u"Hostile Values";

class HostileValuesTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    MakeHostile(kSource);
    before_ = ReadRows(kSource, kTable);
  }
  Rows before_;
};

TEST_F(HostileValuesTest, TheTableHoldsWhatWasWritten) {
  // The SQL-written texts stay texts in their Long and Double columns.
  ASSERT_EQ(before_.size(), HostileRows().size() + 2);
  const auto& odd = before_.back();
  EXPECT_TRUE(odd[3] == Variant(u"1,000") && odd[5] == Variant(u"&H10")) << Describe(odd[3]) << Describe(odd[5]);
  EXPECT_TRUE(before_[before_.size() - 2][3] == Variant(u""));
}

TEST_F(HostileValuesTest, AnExportKeepsEveryValue) {
  EXPECT_TRUE(Export(kSource, kCopy, u""));
  EXPECT_TRUE(SameRows(before_, ReadRows(kCopy, kTable)));
  EXPECT_TRUE(Export(kSource, u"C:\\site\\data\\one.mdb", u"hostile values"));
  EXPECT_TRUE(SameRows(before_, ReadRows(u"C:\\site\\data\\one.mdb", kTable)));
}

TEST_F(HostileValuesTest, AnImportKeepsEveryValueWhetherItClearsOrNot) {
  for (bool clear : {true, false}) {
    SCOPED_TRACE(clear);
    site_.WriteFile("site/data/copy.mdb");
    std::filesystem::remove(site_.Host("site/data/copy.mdb"));
    MakeEmptyLike(kCopy);
    EXPECT_EQ(Import(kSource, kCopy, u"", clear), static_cast<int16_t>(before_.size() + 2));
    // The destination numbers the rows itself: from 1, as the source did.
    EXPECT_TRUE(SameRows(before_, ReadRows(kCopy, kTable)));
    EXPECT_TRUE(SameRows(ReadRows(kSource, u"Part"), ReadRows(kCopy, u"Part")));
  }
}

TEST_F(HostileValuesTest, ALevelTwoRepairKeepsEveryValueAndEveryKey) {
  // Gaps in the numbering: other tables refer to these numbers.
  Variant conn = Open(Jet(kSource));
  com::Call(conn, u"Execute", String(u"Delete From [Hostile Values] Where ID In (2, 5)"));
  com::Call(conn, u"Close");
  before_ = ReadRows(kSource, kTable);
  std::filesystem::copy_file(site_.Host("site/data/source.mdb"), site_.Host("site/data/qe.asp"));
  qe::CreateConfigurationDatabase(u"C:\\site\\Comm\\hostile.mdb");
  ASSERT_TRUE(Capture(u"C:\\site\\Comm\\hostile.mdb", u"C:\\site\\data\\qe.asp", u"mdb"));
  EXPECT_TRUE(access_->KesraAccessRepair(response_, request_, server_, application_, u"/data", u"qe.asp",
                                         u"/Comm/hostile.mdb", 2, false, u""));
  EXPECT_FALSE(Ended()) << vb::ToUtf8(Body());
  EXPECT_TRUE(SameRows(before_, ReadRows(u"C:\\site\\data\\qe.asp", kTable)));
  EXPECT_TRUE(SameRows(ReadRows(kSource, u"Part"), ReadRows(u"C:\\site\\data\\qe.asp", u"Part")));
}

}  // namespace
}  // namespace access_test
