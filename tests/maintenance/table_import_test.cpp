// The import of tables between database files: which tables, which columns,
// clearing and new keys, the questions it asks, its counts, and what a
// failure leaves.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "data_tables.h"
#include "platform/sys/shell_execute.h"
#include "facade/qecls.h"
#include "support/server_questions.h"

namespace access_test {
namespace {

constexpr char16_t kFrom[] = u"C:\\site\\data\\from.mdb";
constexpr char16_t kInto[] = u"C:\\site\\data\\into.mdb";

constexpr char16_t kComposite[] = u"本数据表存在复合索引,只能先清空原记录然后再添加,是否继续?";
constexpr char16_t kText[] = u"本数据表存在非数值型唯一索引,只能先清空原记录然后再添加,是否继续?";
constexpr char16_t kMany[] = u"本数据表存在多个唯一索引,只能先清空原记录然后再添加,是否继续?";

class ImportTest : public DataTest {
 protected:
  // Both files with the same tables; `rows` rows in the source's A (n = 1..)
  // and in its B, none in the destination.
  void MakePair(std::initializer_list<StringView> tables, int a_rows, int b_rows) {
    for (StringView file : {StringView(kFrom), StringView(kInto)}) com::Call(MakeDatabase(file, tables), u"Close");
    Fill(kFrom, u"A", a_rows);
    Fill(kFrom, u"B", b_rows);
  }
  // Rows n = first..first+count-1 straight into the file (filling is not what is tested).
  void Fill(StringView file, StringView table, int count, int first = 1) {
    if (count <= 0) return;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(fs::ToHostPath(String(file)).c_str(), &db), SQLITE_OK);
    std::string sql = "WITH RECURSIVE c(x) AS (SELECT " + std::to_string(first) + " UNION ALL SELECT x+1 FROM c WHERE x<" +
                      std::to_string(first + count - 1) + ") INSERT INTO \"" + vb::ToUtf8(table) +
                      "\" (n) SELECT x FROM c";
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
  static int64_t Sum(StringView file, StringView table, StringView column = u"n") {
    return static_cast<int64_t>(vb::CDbl(Scalar(Open(Jet(file)), u"Select Sum(" + String(column) + u") From " + String(table))));
  }
};

TEST_F(ImportTest, AnEmptyListTakesTheDestinationsTablesButNotItsScratchTables) {
  for (StringView file : {StringView(kFrom), StringView(kInto)})
    com::Call(MakeDatabase(file, {u"Create Table A (n Long)", u"Create Table temp_x (n Long)"}), u"Close");
  com::Call(Open(Jet(kFrom)), u"Execute", String(u"Create Table OnlyHere (n Long)"));
  Fill(kFrom, u"A", 3);
  Fill(kFrom, u"temp_x", 4);
  Fill(kFrom, u"OnlyHere", 5);
  EXPECT_EQ(Import(kFrom, kInto, u"", true), 3);
  EXPECT_EQ(Count(kInto, u"A"), 3);
  EXPECT_EQ(Count(kInto, u"temp_x"), 0);
}

TEST_F(ImportTest, TheListLosesItsLastCharacter) {
  MakePair({u"Create Table A (n Long)", u"Create Table B (n Long)"}, 3, 5);
  // "B" becomes "": missing in the source, it ends the import after A.
  EXPECT_EQ(Import(kFrom, kInto, u"A|B", true), 3);
  EXPECT_EQ(Count(kInto, u"B"), 0);
  EXPECT_EQ(Import(kFrom, kInto, u"A|B|", true), 8);
  EXPECT_EQ(Count(kInto, u"A"), 3);
  EXPECT_EQ(Count(kInto, u"B"), 5);
}

TEST_F(ImportTest, ATableMissingInTheSourceOrShapedOtherwiseEndsTheImportWithTheCountSoFar) {
  for (StringView file : {StringView(kFrom), StringView(kInto)})
    com::Call(MakeDatabase(file, {u"Create Table A (n Long)", u"Create Table C (n Long)"}), u"Close");
  com::Call(Open(Jet(kFrom)), u"Execute", String(u"Create Table B (n Long, extra Long)"));
  com::Call(Open(Jet(kInto)), u"Execute", String(u"Create Table B (n Long)"));
  Fill(kFrom, u"A", 2);
  Fill(kFrom, u"B", 2);
  Fill(kFrom, u"C", 2);
  EXPECT_EQ(Import(kFrom, kInto, u"A|B|C|", true), 2);
  EXPECT_EQ(Count(kInto, u"C"), 0);
  EXPECT_EQ(Import(kFrom, kInto, u"A|Missing|C|", true), 2);
  EXPECT_EQ(Count(kInto, u"C"), 0);
}

TEST_F(ImportTest, WithoutClearingAnAutonumberKeyIsLeftToTheDestination) {
  MakePair({u"Create Table A (ID Counter Primary Key, n Long)", u"Create Table B (n Long)"}, 3, 0);
  Fill(kInto, u"A", 2, 100);
  EXPECT_EQ(Import(kFrom, kInto, u"A|", false), 3);
  EXPECT_EQ(ReadRows(kInto, u"A"), (Rows{{Variant(int32_t{1}), Variant(int32_t{100})},
                                        {Variant(int32_t{2}), Variant(int32_t{101})},
                                        {Variant(int32_t{3}), Variant(int32_t{1})},
                                        {Variant(int32_t{4}), Variant(int32_t{2})},
                                        {Variant(int32_t{5}), Variant(int32_t{3})}}));
}

TEST_F(ImportTest, WithoutClearingAKeyColumnIsNumberedOnFromTheDestinationsLargest) {
  MakePair({u"Create Table A (UserID Long, n Long)", u"Create Unique Index k On A (UserID)", u"Create Table B (n Long)"},
           3, 0);
  com::Call(Open(Jet(kInto)), u"Execute", String(u"Insert Into A (UserID, n) Values (40, 0)"));
  EXPECT_EQ(Import(kFrom, kInto, u"A|", false), 3);
  EXPECT_EQ(ReadRows(kInto, u"A", u"UserID"), (Rows{{Variant(int32_t{40}), Variant(int32_t{0})},
                                                   {Variant(int32_t{41}), Variant(int32_t{1})},
                                                   {Variant(int32_t{42}), Variant(int32_t{2})},
                                                   {Variant(int32_t{43}), Variant(int32_t{3})}}));
}

TEST_F(ImportTest, CountsPast32767SaturateAndKeysPast32767GoOn) {
  MakePair({u"Create Table A (UserID Long, n Long)", u"Create Unique Index k On A (UserID)", u"Create Table B (n Long)"},
           40000, 2);
  com::Call(Open(Jet(kInto)), u"Execute", String(u"Insert Into A (UserID, n) Values (40000, 0)"));
  EXPECT_EQ(Import(kFrom, kInto, u"A|B|", false), 32767);
  EXPECT_EQ(Count(kInto, u"A"), 40001);
  EXPECT_EQ(Count(kInto, u"B"), 2);
  EXPECT_EQ(vb::CLng(Scalar(Open(Jet(kInto)), u"Select Max(UserID) From A")), 80000);
  EXPECT_EQ(Sum(kInto, u"A"), int64_t{40000} * 40001 / 2);
}

TEST_F(ImportTest, TwoTablesOfThreeAndFiveRowsGiveEight) {
  MakePair({u"Create Table A (n Long)", u"Create Table B (n Long)"}, 3, 5);
  EXPECT_EQ(Import(kFrom, kInto, u"", false), 8);
}

TEST_F(ImportTest, IndexesThatForceAClearingAskFirst) {
  struct Case {
    std::vector<const char16_t*> indexes;
    const char16_t* question;
  };
  const std::vector<Case> cases = {
      {{u"Create Unique Index k On A (n, m)"}, kComposite},
      {{u"Create Unique Index k On A (t)"}, kText},
      {{u"Create Unique Index k On A (n)", u"Create Unique Index j On A (m)"}, kMany},
      {{u"Create Unique Index k On A (n)", u"Create Index j On A (n, t)", u"Create Unique Index i On A (n)"}, kMany},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(vb::ToUtf8(c.question));
    std::filesystem::remove(site_.Host("site/data/from.mdb"));
    std::filesystem::remove(site_.Host("site/data/into.mdb"));
    MakePair({u"Create Table A (n Long, m Long, t Text(10))", u"Create Table B (n Long)"}, 2, 3);
    for (const char16_t* index : c.indexes) com::Call(Open(Jet(kInto)), u"Execute", String(index));
    Fill(kInto, u"A", 1, 50);
    // B comes first and stays imported; No to A's question ends the import with 0.
    {
      qe_test::ServerQuestions answers(sys::vbNo);
      EXPECT_EQ(Import(kFrom, kInto, u"B|A|", false), 0);
      ASSERT_EQ(answers.Asked().size(), 1u);
      EXPECT_EQ(answers.Asked()[0].prompt, c.question);
      EXPECT_EQ(answers.Asked()[0].title, u"Qe");
      EXPECT_EQ(answers.Asked()[0].buttons, sys::vbYesNo + sys::vbInformation + sys::vbDefaultButton2);
    }
    EXPECT_EQ(Count(kInto, u"B"), 3);
    EXPECT_EQ(Sum(kInto, u"A"), 50);
    // Yes clears the table and fills it.
    qe_test::ServerQuestions answers(sys::vbYes);
    EXPECT_EQ(Import(kFrom, kInto, u"A|", false), 2);
    EXPECT_EQ(Sum(kInto, u"A"), 3);
  }
}

TEST_F(ImportTest, WithNobodyToAnswerTheQuestionIsLoggedAndAnsweredNo) {
  MakePair({u"Create Table A (n Long, m Long)", u"Create Unique Index k On A (n, m)", u"Create Table B (n Long)"}, 2, 0);
  Fill(kInto, u"A", 1, 50);
  sys::ClearShellRecord();
  EXPECT_EQ(Import(kFrom, kInto, u"A|", false), 0);
  EXPECT_EQ(Sum(kInto, u"A"), 50);
  ASSERT_EQ(sys::LoggedEvents().size(), 1u);
  EXPECT_EQ(sys::LoggedEvents()[0], String(u"Qe: ") + kComposite);
}

TEST_F(ImportTest, AFailingTableKeepsItsRowsAndEarlierTablesKeepTheImport) {
  for (StringView file : {StringView(kFrom), StringView(kInto)})
    com::Call(MakeDatabase(file, {u"Create Table A (n Long)", u"Create Table B (n Long, t Text(5))"}), u"Close");
  com::Call(Open(Jet(kFrom)), u"Execute", String(u"Alter Table B Alter Column t Text(20)"));
  Fill(kFrom, u"A", 3);
  Fill(kInto, u"B", 4, 10);
  Variant from = Open(Jet(kFrom));
  com::Call(from, u"Execute", String(u"Insert Into B (n, t) Values (1, 'short')"));
  com::Call(from, u"Execute", String(u"Insert Into B (n, t) Values (2, 'far too long for it')"));
  EXPECT_EQ(Import(kFrom, kInto, u"A|B|", true), -1);
  EXPECT_EQ(Count(kInto, u"A"), 3);
  EXPECT_EQ(Sum(kInto, u"B"), 10 + 11 + 12 + 13);
}

TEST_F(ImportTest, FilesAndTablesThatAreNotThereFailTheImport) {
  MakePair({u"Create Table A (n Long)", u"Create Table B (n Long)"}, 1, 1);
  EXPECT_EQ(Import(u"C:\\site\\data\\none.mdb", kInto, u"A|", true), -1);
  EXPECT_EQ(Import(kFrom, u"C:\\site\\data\\none.mdb", u"A|", true), -1);
  com::Call(Open(Jet(kFrom)), u"Execute", String(u"Create Table OnlyHere (n Long)"));
  EXPECT_EQ(Import(kFrom, kInto, u"A|OnlyHere|", true), -1);
  EXPECT_EQ(Count(kInto, u"A"), 1);
  EXPECT_FALSE(std::filesystem::exists(site_.Host("site/data/none.mdb")));
}

TEST_F(ImportTest, TheFacadeForwardsTheImport) {
  MakePair({u"Create Table A (n Long)", u"Create Table B (n Long)"}, 3, 5);
  Variant facade(std::make_shared<qe::QeCls>());
  EXPECT_EQ(vb::CLng(com::Call(facade, u"CommAccessImport", String(kFrom), String(kInto), String(u""), true)), 8);
}

}  // namespace
}  // namespace access_test
