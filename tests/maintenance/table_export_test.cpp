// The export of a database file, whole or cut down to some tables.
#include <gtest/gtest.h>

#include "data_tables.h"
#include "facade/qecls.h"
#include "support/server_questions.h"

namespace access_test {
namespace {

namespace stdfs = std::filesystem;

constexpr char16_t kSource[] = u"C:\\site\\data\\source.mdb";
constexpr char16_t kTarget[] = u"C:\\site\\data\\target.mdb";

class ExportTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    com::Call(MakeDatabase(kSource, {u"Create Table [User] (n Long)", u"Create Table Part (n Long)",
                                     u"Create Table [Two Words] (n Long)", u"Create Table [a]]b] (n Long)",
                                     u"Create Table Extra (n Long)", u"Insert Into [User] (n) Values (1)",
                                     u"Insert Into [Two Words] (n) Values (2)"}),
              u"Close");
    source_dump_ = Dump("site/data/source.mdb");
  }
  static std::vector<String> Tables(StringView file) {
    Variant catalog = Create(u"ADOX.Catalog");
    com::Let(catalog, u"ActiveConnection", Jet(file));
    std::vector<String> names;
    Variant tables = com::Call(catalog, u"Tables");
    for (int32_t i = 0; i < Long(tables, u"Count"); ++i) {
      Variant t = com::Call(tables, u"Item", i);
      if (vb::CStr(Prop(t, u"Type")) == u"TABLE") names.push_back(vb::CStr(Prop(t, u"Name")));
    }
    return names;
  }
  size_t BackupFolders() const {
    if (!stdfs::exists(site_.Host("site/AutoBackup"))) return 0;
    return static_cast<size_t>(std::distance(stdfs::directory_iterator(site_.Host("site/AutoBackup")), {}));
  }
  size_t FilesInData() const {
    return static_cast<size_t>(std::distance(stdfs::directory_iterator(site_.Host("site/data")), {}));
  }
  std::string source_dump_;
};

TEST_F(ExportTest, WithoutAListTheCopyIsWholeAndNotCompacted) {
  EXPECT_TRUE(Export(kSource, kTarget, u""));
  EXPECT_EQ(Dump("site/data/target.mdb"), source_dump_);
  EXPECT_EQ(BackupFolders(), 0u);
}

TEST_F(ExportTest, AListKeepsItsTablesInAnyCaseAndDropsTheOthersWhateverTheirNames) {
  EXPECT_TRUE(Export(kSource, kTarget, u"user|PART"));
  EXPECT_EQ(Tables(kTarget), (std::vector<String>{u"Part", u"User"}));
  EXPECT_EQ(Count(kTarget, u"User"), 1);
  EXPECT_EQ(Dump("site/data/source.mdb"), source_dump_);
  // The copy was compacted: the compaction backed it up first.
  EXPECT_EQ(BackupFolders(), 1u);
  EXPECT_EQ(FilesInData(), 2u);  // no scratch file left beside the target
}

TEST_F(ExportTest, AnExistingTargetIsReplacedOnlyAfterAYes) {
  com::Call(MakeDatabase(kTarget, {u"Create Table Old (n Long)"}), u"Close");
  const std::string old_dump = Dump("site/data/target.mdb");
  Variant page = Open(Jet(kTarget));  // a page holding the target open
  {
    qe_test::ServerQuestions answers(sys::vbNo);
    EXPECT_FALSE(Export(kSource, kTarget, u""));
    ASSERT_EQ(answers.Asked().size(), 1u);
    EXPECT_EQ(answers.Asked()[0].prompt, u"目标文件存在，是否覆盖？");
    EXPECT_EQ(answers.Asked()[0].title, u"提示");
    EXPECT_EQ(answers.Asked()[0].buttons, sys::vbYesNo + sys::vbQuestion + sys::vbDefaultButton2);
  }
  EXPECT_FALSE(Export(kSource, kTarget, u""));  // nobody to answer: No
  EXPECT_EQ(Dump("site/data/target.mdb"), old_dump);
  qe_test::ServerQuestions answers(sys::vbYes);
  EXPECT_TRUE(Export(kSource, kTarget, u"Two Words|"));
  EXPECT_EQ(Tables(kTarget), (std::vector<String>{u"Two Words"}));
  // The page goes on with the new file.
  EXPECT_EQ(vb::CLng(Scalar(page, u"Select n From [Two Words]")), 2);
}

TEST_F(ExportTest, AMissingSourceFailsTheCallAndLeavesNothingBehind) {
  com::Call(MakeDatabase(kTarget, {u"Create Table Old (n Long)"}), u"Close");
  const std::string old_dump = Dump("site/data/target.mdb");
  qe_test::ServerQuestions answers(sys::vbYes);
  EXPECT_NE(ErrorOf([&] { Export(u"C:\\site\\data\\none.mdb", kTarget, u"Part"); }), 0);
  EXPECT_EQ(Dump("site/data/target.mdb"), old_dump);
  EXPECT_EQ(FilesInData(), 2u);  // the source and the target: no scratch file
}

TEST_F(ExportTest, TheFacadeForwardsTheExport) {
  Variant facade(std::make_shared<qe::QeCls>());
  EXPECT_TRUE(vb::CBool(com::Call(facade, u"CommAccessExport", response_, request_, server_, String(kSource),
                                  String(kTarget), String(u""))));
  EXPECT_EQ(Count(kTarget, u"User"), 1);
}

}  // namespace
}  // namespace access_test
