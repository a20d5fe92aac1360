// "ADODB.Recordset" over the SQLite provider: moving, paging, fields, edits.
#include <gtest/gtest.h>

#include "ado_fixture.h"
#include "platform/ado/errors.h"
#include "platform/vb/datetime.h"

namespace ado_test {
namespace {

constexpr int kForwardOnly = 0, kKeyset = 1, kStatic = 3;

class RecordsetTest : public AdoTest {
 protected:
  // Table n with ids 1..count and names "n1".."nCount".
  Variant Numbers(int count) {
    Variant conn = OpenNew({u"Create Table n (id Counter Primary Key, name Text(20))"});
    com::Call(conn, u"BeginTrans");
    for (int i = 1; i <= count; ++i)
      com::Call(conn, u"Execute", u"Insert Into n (name) Values ('n" + vb::FromUtf8(std::to_string(i)) + u"')");
    com::Call(conn, u"CommitTrans");
    return conn;
  }
  static int32_t Id(const Variant& rs) { return vb::CLng(Field(rs, u"id")); }
  static void Call(const Variant& rs, StringView member) { com::Call(rs, member); }
};

TEST_F(RecordsetTest, MovesThroughTheRowsAndStopsAtTheEnds) {
  Variant conn = Numbers(5);
  Variant rs = Query(conn, u"Select * From n Order By id");
  EXPECT_FALSE(Bool(rs, u"BOF"));
  EXPECT_EQ(Id(rs), 1);
  Call(rs, u"MoveLast");
  EXPECT_EQ(Id(rs), 5);
  Call(rs, u"MoveNext");
  EXPECT_TRUE(Bool(rs, u"EOF"));
  EXPECT_EQ(ErrorOf([&] { Id(rs); }), ado::kErrNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { Call(rs, u"MoveNext"); }), ado::kErrNoCurrentRecord);
  Call(rs, u"MovePrevious");
  EXPECT_EQ(Id(rs), 5);
  com::Call(rs, u"Move", int32_t{-3});
  EXPECT_EQ(Id(rs), 2);
  com::Call(rs, u"Move", int32_t{-5});
  EXPECT_TRUE(Bool(rs, u"BOF"));
  EXPECT_EQ(ErrorOf([&] { Call(rs, u"MovePrevious"); }), ado::kErrNoCurrentRecord);
  Call(rs, u"MoveNext");
  EXPECT_EQ(Id(rs), 1);
  com::Call(rs, u"Move", int32_t{2}, int32_t{1});  // from the first
  EXPECT_EQ(Id(rs), 3);
  com::Call(rs, u"Move", int32_t{10});
  EXPECT_TRUE(Bool(rs, u"EOF"));
  Call(rs, u"MoveFirst");
  EXPECT_EQ(Id(rs), 1);
}

TEST_F(RecordsetTest, AnEmptyRecordsetIsAtBothEnds) {
  Variant conn = Numbers(0);
  for (int cursor : {kForwardOnly, kKeyset, kStatic}) {
    Variant rs = Query(conn, u"Select * From n", cursor);
    EXPECT_TRUE(Bool(rs, u"EOF"));
    EXPECT_TRUE(Bool(rs, u"BOF"));
    EXPECT_NO_THROW(Call(rs, u"MoveFirst"));
    EXPECT_EQ(ErrorOf([&] { Call(rs, u"MoveNext"); }), ado::kErrNoCurrentRecord);
  }
}

TEST_F(RecordsetTest, AForwardOnlyCursorCountsNothingAndDoesNotGoBack) {
  Variant conn = Numbers(3);
  Variant rs = Query(conn, u"Select * From n Order By id", kForwardOnly);
  EXPECT_EQ(Long(rs, u"RecordCount"), -1);
  EXPECT_EQ(Long(rs, u"PageCount"), -1);
  Call(rs, u"MoveNext");
  EXPECT_EQ(Id(rs), 2);
  EXPECT_EQ(ErrorOf([&] { Call(rs, u"MovePrevious"); }), ado::kDbCannotFetchBackwards);
  Call(rs, u"MoveFirst");  // runs the statement again
  EXPECT_EQ(Id(rs), 1);
  Call(rs, u"MoveLast");
  EXPECT_EQ(Id(rs), 3);
  Call(rs, u"MoveNext");
  EXPECT_TRUE(Bool(rs, u"EOF"));
}

TEST_F(RecordsetTest, AClientCursorCountsItsRowsWhateverTheCursorType) {
  Variant conn = Numbers(4);
  com::Let(conn, u"CursorLocation", Variant(int32_t{3}));
  Variant rs = Query(conn, u"Select * From n", kForwardOnly);
  EXPECT_EQ(Long(rs, u"RecordCount"), 4);
  EXPECT_EQ(Long(rs, u"CursorType"), kStatic);
  Call(rs, u"MoveLast");
  Call(rs, u"MovePrevious");
  EXPECT_EQ(Id(rs), 3);
}

TEST_F(RecordsetTest, PagesOfAKeysetCursor) {
  Variant conn = Numbers(23);
  Variant rs = Query(conn, u"Select id, name From n Where id > 0 Order By id Desc");
  EXPECT_EQ(Long(rs, u"RecordCount"), 23);
  EXPECT_EQ(Long(rs, u"PageSize"), 10);
  com::Let(rs, u"PageSize", int32_t{10});
  EXPECT_EQ(Long(rs, u"PageCount"), 3);
  com::Let(rs, u"AbsolutePage", int32_t{3});
  EXPECT_EQ(Id(rs), 3);  // the 21st row of 23..1
  EXPECT_EQ(Long(rs, u"AbsolutePosition"), 21);
  EXPECT_EQ(Long(rs, u"AbsolutePage"), 3);
  com::Let(rs, u"AbsolutePage", int32_t{2});
  EXPECT_EQ(Id(rs), 13);
  EXPECT_EQ(ErrorOf([&] { com::Let(rs, u"AbsolutePage", int32_t{4}); }), ado::kErrInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { com::Let(rs, u"AbsolutePage", int32_t{0}); }), ado::kErrInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { com::Let(rs, u"PageSize", int32_t{0}); }), ado::kErrInvalidArgument);
  com::Let(rs, u"AbsolutePosition", int32_t{23});
  EXPECT_EQ(Id(rs), 1);
  Call(rs, u"MoveNext");
  EXPECT_EQ(Long(rs, u"AbsolutePage"), -3);      // adPosEOF
  EXPECT_EQ(Long(rs, u"AbsolutePosition"), -3);
  com::Let(rs, u"PageSize", int32_t{5});
  EXPECT_EQ(Long(rs, u"PageCount"), 5);
  Variant empty = Query(conn, u"Select * From n Where id < 0");
  EXPECT_EQ(Long(empty, u"PageCount"), 0);
  EXPECT_EQ(Long(empty, u"AbsolutePage"), -1);   // adPosUnknown
}

TEST_F(RecordsetTest, AKeysetOverManyBlocksOfKeysGivesEveryRowOnce) {
  // More rows than three blocks of keys: jumps, walks both ways, and a
  // delete that shifts the positions after it.
  Variant conn = Numbers(1600);
  Variant rs = Query(conn, u"Select id From n Where id <> 700 Order By id Desc");
  EXPECT_EQ(Long(rs, u"RecordCount"), 1599);
  com::Let(rs, u"AbsolutePosition", int32_t{1200});
  EXPECT_EQ(Id(rs), 400);
  Call(rs, u"MovePrevious");
  EXPECT_EQ(Id(rs), 401);
  Call(rs, u"MoveFirst");
  int32_t expected = 1600, seen = 0;
  while (!Bool(rs, u"EOF")) {
    if (expected == 700) --expected;
    ASSERT_EQ(Id(rs), expected--);
    ++seen;
    Call(rs, u"MoveNext");
  }
  EXPECT_EQ(seen, 1599);
  Variant editable = Query(conn, u"Select * From n Order By id", kKeyset, 3);
  com::Let(editable, u"AbsolutePosition", int32_t{1100});
  com::Call(editable, u"Delete");
  com::Call(editable, u"MoveNext");
  EXPECT_EQ(Id(editable), 1101);
  com::Call(editable, u"MoveLast");
  EXPECT_EQ(Id(editable), 1600);
  EXPECT_EQ(Long(editable, u"RecordCount"), 1599);
  // Top n counts n.
  EXPECT_EQ(Long(Query(conn, u"Select Top 1000 id From n Order By name"), u"RecordCount"), 1000);
}

TEST_F(RecordsetTest, FieldsByNameWithoutRegardToCaseAndByNumber) {
  Variant conn = Numbers(1);
  Variant rs = Query(conn, u"Select * From n");
  EXPECT_EQ(vb::CStr(Field(rs, u"NAME")), u"n1");
  EXPECT_EQ(vb::CStr(com::ValueOf(com::Call(rs, u"", int32_t{1}))), u"n1");
  Variant fields = com::Call(rs, u"Fields");
  EXPECT_EQ(Long(fields, u"Count"), 2);
  Variant field = com::Call(fields, u"Item", String(u"Name"));
  EXPECT_EQ(vb::CStr(Prop(field, u"Name")), u"name");
  EXPECT_EQ(Long(field, u"Type"), 202);
  EXPECT_EQ(Long(field, u"DefinedSize"), 20);
  EXPECT_EQ(Long(field, u"ActualSize"), 2);
  EXPECT_EQ(vb::CStr(com::ValueOf(field)), u"n1");
}

TEST_F(RecordsetTest, UnknownFieldsAreNotFound) {
  Variant conn = Numbers(1);
  Variant rs = Query(conn, u"Select * From n");
  EXPECT_EQ(ErrorOf([&] { Field(rs, u"nope"); }), ado::kErrItemNotFound);
  EXPECT_EQ(ErrorOf([&] { com::Call(rs, u"", int32_t{2}); }), ado::kErrItemNotFound);
  EXPECT_EQ(ErrorOf([&] { com::Call(rs, u"", int32_t{-1}); }), ado::kErrItemNotFound);
}

}  // namespace
}  // namespace ado_test
