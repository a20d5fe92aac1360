// Recordset edits written back to the table: AddNew, Update, Delete, and
// what the table enforces (sizes, Jet's values, case-insensitive text).
#include <gtest/gtest.h>

#include "ado_fixture.h"
#include "platform/ado/errors.h"
#include "platform/vb/datetime.h"

namespace ado_test {
namespace {

constexpr int kForwardOnly = 0, kKeyset = 1, kStatic = 3;
constexpr int kReadOnly = 1, kOptimistic = 3;

class RecordsetEditTest : public AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    conn_ = OpenNew({u"Create Table p (id Counter Primary Key, name Text(10) Not Null, n Long Default 7)",
                     u"Insert Into p (name) Values ('a')", u"Insert Into p (name) Values ('b')"});
  }
  Variant Edit(StringView sql, int cursor = kKeyset) { return Query(conn_, sql, cursor, kOptimistic); }
  int32_t Count(StringView where = u"1=1") {
    return vb::CLng(Scalar(conn_, u"Select Count(*) From p Where " + String(where)));
  }
  Variant conn_;
};

TEST_F(RecordsetEditTest, AddNewGetsItsNumberAndDefaultsOnUpdate) {
  Variant rs = Edit(u"Select * From p Order By id");
  com::Call(rs, u"AddNew");
  EXPECT_EQ(Long(rs, u"EditMode"), 2);
  com::Let(rs, u"", Variant(u"c"), String(u"name"));
  EXPECT_TRUE(Field(rs, u"id").IsNull());
  com::Call(rs, u"Update");
  EXPECT_EQ(vb::CLng(Field(rs, u"id")), 3);
  EXPECT_EQ(vb::CLng(Field(rs, u"n")), 7);  // the column's default
  EXPECT_EQ(Long(rs, u"RecordCount"), 3);
  EXPECT_EQ(Long(rs, u"AbsolutePosition"), 3);
  EXPECT_EQ(Count(u"name='c'"), 1);
  // The list forms: AddNew and Update with fields and values.
  vb::Array names = vb::Array::OfVariants({Variant(u"name"), Variant(u"n")});
  vb::Array values = vb::Array::OfVariants({Variant(u"d"), Variant(int32_t{9})});
  com::Call(rs, u"AddNew", Variant(names), Variant(values));
  EXPECT_EQ(Long(rs, u"EditMode"), 0);
  EXPECT_EQ(Count(u"name='d' And n=9"), 1);
  com::Call(rs, u"Update", String(u"n"), int32_t{10});
  EXPECT_EQ(Count(u"name='d' And n=10"), 1);
}

TEST_F(RecordsetEditTest, MovingAwaySavesAnEditAndCancelUpdateDropsIt) {
  Variant rs = Edit(u"Select * From p Order By id");
  com::Let(rs, u"", Variant(u"A2"), String(u"name"));
  EXPECT_EQ(Long(rs, u"EditMode"), 1);
  com::Call(rs, u"MoveNext");
  EXPECT_EQ(Count(u"name='A2'"), 1);
  com::Let(rs, u"", Variant(u"B2"), String(u"name"));
  com::Call(rs, u"CancelUpdate");
  EXPECT_EQ(vb::CStr(Field(rs, u"name")), u"b");
  com::Call(rs, u"AddNew");
  com::Call(rs, u"CancelUpdate");
  EXPECT_EQ(vb::CStr(Field(rs, u"name")), u"b");
  EXPECT_EQ(Count(), 2);
}

TEST_F(RecordsetEditTest, DeleteLeavesThePositionOnTheDeletedRow) {
  Variant rs = Edit(u"Select * From p Order By id");
  com::Call(rs, u"Delete");
  EXPECT_EQ(ErrorOf([&] { Field(rs, u"name"); }), ado::kErrNoCurrentRecord);
  EXPECT_EQ(Long(rs, u"RecordCount"), 1);
  com::Call(rs, u"MoveNext");
  EXPECT_EQ(vb::CStr(Field(rs, u"name")), u"b");
  com::Call(rs, u"Delete");
  com::Call(rs, u"MoveNext");
  EXPECT_TRUE(Bool(rs, u"EOF"));
  EXPECT_TRUE(Bool(rs, u"BOF"));
  EXPECT_EQ(Count(), 0);
}

TEST_F(RecordsetEditTest, EditsThroughEveryCursorReachTheTable) {
  for (int cursor : {kForwardOnly, kStatic}) {
    Variant rs = Edit(u"Select name From p Where name='a'", cursor);
    com::Let(rs, u"", Variant(u"x"), String(u"name"));
    com::Call(rs, u"Update");
    EXPECT_EQ(vb::CStr(Field(rs, u"name")), u"x");
    EXPECT_EQ(Count(u"name='x'"), 1);
    com::Call(conn_, u"Execute", String(u"Update p Set name='a' Where name='x'"));
  }
}

TEST_F(RecordsetEditTest, AfterUpdateTheRowReadsWhatWasWritten) {
  for (int cursor : {kForwardOnly, kKeyset, kStatic}) {
    Variant rs = Edit(u"Select * From p Order By id", cursor);
    Variant name_field = com::Call(rs, u"", String(u"name"));
    EXPECT_EQ(vb::CStr(Field(rs, u"name")), u"a");  // the row is read (and kept) before the edit
    com::Let(rs, u"", Variant(u"x"), String(u"name"));
    com::Let(rs, u"", Variant(int32_t{42}), String(u"n"));
    com::Call(rs, u"Update");
    EXPECT_EQ(vb::CStr(Field(rs, u"name")), u"x") << "cursor " << cursor;
    EXPECT_EQ(vb::CLng(Field(rs, u"n")), 42) << "cursor " << cursor;
    EXPECT_EQ(vb::CStr(com::ValueOf(name_field)), u"x") << "cursor " << cursor;
    EXPECT_EQ(Count(u"name='x' And n=42"), 1);
    // Again on the same row, in the list form.
    com::Call(rs, u"Update", String(u"name"), String(u"y"));
    EXPECT_EQ(vb::CStr(Field(rs, u"name")), u"y") << "cursor " << cursor;
    if (cursor != kForwardOnly) {
      com::Call(rs, u"MoveNext");
      com::Call(rs, u"MovePrevious");
      EXPECT_EQ(vb::CStr(Field(rs, u"name")), u"y") << "cursor " << cursor;
      EXPECT_EQ(vb::CLng(Field(rs, u"n")), 42) << "cursor " << cursor;
    }
    com::Call(conn_, u"Execute", String(u"Update p Set name='a', n=7 Where id=1"));
  }
}

TEST_F(RecordsetEditTest, ReadOnlyRowsAndNumbersRefuseEdits) {
  Variant rs = Query(conn_, u"Select * From p", kKeyset, kReadOnly);
  EXPECT_EQ(ErrorOf([&] { com::Call(rs, u"AddNew"); }), 3251);
  EXPECT_EQ(ErrorOf([&] { com::Let(rs, u"", Variant(u"x"), String(u"name")); }), 3251);
  EXPECT_EQ(ErrorOf([&] { com::Call(rs, u"Delete"); }), 3251);
  Variant joined = Query(conn_, u"Select p.name, q.name From p, p As q", kKeyset, kOptimistic);
  EXPECT_EQ(ErrorOf([&] { com::Call(joined, u"AddNew"); }), 3251);
  Variant editable = Edit(u"Select * From p");
  EXPECT_EQ(ErrorOf([&] { com::Let(editable, u"", Variant(int32_t{5}), String(u"id")); }), ado::kDbMultipleStep);
  EXPECT_EQ(ErrorOf([&] { com::Let(editable, u"", Variant(u"many"), String(u"n")); }), ado::kDbMultipleStep);
}

TEST_F(RecordsetEditTest, TextKeepsItsDefinedSize) {
  // Ten characters fit, whatever they are; eleven do not, through SQL or a recordset.
  EXPECT_NO_THROW(com::Call(conn_, u"Execute", String(u"Insert Into p (name) Values ('0123456789')")));
  EXPECT_NO_THROW(com::Call(conn_, u"Execute", String(u"Insert Into p (name) Values ('一二三四五六七八九十')")));
  try {
    com::Call(conn_, u"Execute", String(u"Insert Into p (name) Values ('0123456789X')"));
    FAIL();
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), ado::kEFail);
    EXPECT_EQ(e.Description(),
              u"The field is too small to accept the amount of data you attempted to add.  Try inserting or "
              u"pasting less data.");
  }
  EXPECT_EQ(ErrorOf([&] { com::Call(conn_, u"Execute", String(u"Update p Set name=name & '-----'")); }), ado::kEFail);
  Variant rs = Edit(u"Select * From p");
  EXPECT_EQ(ErrorOf([&] { com::Let(rs, u"", Variant(u"0123456789X"), String(u"name")); }), ado::kDbMultipleStep);
  EXPECT_EQ(Count(), 4);
  // Required columns.
  EXPECT_EQ(ErrorOf([&] { com::Call(conn_, u"Execute", String(u"Insert Into p (n) Values (1)")); }), ado::kEFail);
}

TEST_F(RecordsetEditTest, TextComparesWithoutRegardToCase) {
  EXPECT_EQ(Count(u"name='A'"), 1);
  EXPECT_EQ(Count(u"name In ('A','B')"), 2);
  EXPECT_EQ(Count(u"name Like 'A%'"), 1);
  com::Call(conn_, u"Execute", String(u"Insert Into p (name) Values ('C')"));
  Variant rs = Query(conn_, u"Select name From p Order By name");
  EXPECT_EQ(vb::CStr(com::Call(rs, u"GetString", int32_t{2}, int32_t{-1}, String(u","), String(u";"))), u"a;b;C;");
  // A unique index counts "x" and "X" as the same.
  com::Call(conn_, u"Execute", String(u"Create Unique Index u On p (name)"));
  EXPECT_EQ(ErrorOf([&] { com::Call(conn_, u"Execute", String(u"Insert Into p (name) Values ('c')")); }), ado::kEFail);
}

TEST_F(RecordsetEditTest, AKeysetCursorSeesChangesAndDeletionsByOthers) {
  Variant rs = Query(conn_, u"Select * From p Order By id");
  Variant other = Open(vb::CStr(com::ValueOf(conn_)));
  com::Call(other, u"Execute", String(u"Update p Set name='changed' Where id=2"));
  com::Call(other, u"Execute", String(u"Delete From p Where id=1"));
  EXPECT_EQ(ErrorOf([&] { Field(rs, u"name"); }), ado::kDbDeletedRow);
  com::Call(rs, u"MoveNext");
  EXPECT_EQ(vb::CStr(Field(rs, u"name")), u"changed");
  // A static cursor is a snapshot.
  Variant snapshot = Query(conn_, u"Select * From p", kStatic);
  com::Call(other, u"Execute", String(u"Update p Set name='later'"));
  EXPECT_EQ(vb::CStr(Field(snapshot, u"name")), u"changed");
}

TEST_F(RecordsetEditTest, TablesByNameAndConnectionsByString) {
  Variant rs = Create(u"ADODB.Recordset");
  com::Call(rs, u"Open", String(u"[p]"), com::ValueOf(conn_), int32_t{kKeyset}, int32_t{kOptimistic});
  EXPECT_EQ(Long(rs, u"RecordCount"), 2);
  com::Call(rs, u"AddNew", String(u"name"), String(u"z"));
  EXPECT_EQ(Count(u"name='z'"), 1);
  Variant active = Prop(rs, u"ActiveConnection");
  EXPECT_EQ(Long(active, u"State"), 1);
  EXPECT_EQ(ErrorOf([&] {
              Variant closed = Create(u"ADODB.Recordset");
              com::Call(closed, u"Open", String(u"p"));
            }),
            ado::kErrInvalidConnection);
}

TEST_F(RecordsetEditTest, GetRowsAndGetStringReadFromTheCurrentRow) {
  Variant rs = Query(conn_, u"Select id, name From p Order By id");
  Variant rows = com::Call(rs, u"GetRows");
  ASSERT_TRUE(rows.IsArray());
  const vb::Array& a = rows.As<vb::Array>();
  EXPECT_EQ(a.UBound(1), 1);
  EXPECT_EQ(a.UBound(2), 1);
  EXPECT_EQ(vb::CStr(a.Get({1, 0})), u"a");
  EXPECT_EQ(vb::CLng(a.Get({0, 1})), 2);
  EXPECT_TRUE(Bool(rs, u"EOF"));
  EXPECT_EQ(ErrorOf([&] { com::Call(rs, u"GetRows"); }), ado::kErrNoCurrentRecord);
  com::Call(rs, u"MoveFirst");
  Variant one = com::Call(rs, u"GetRows", int32_t{1}, Variant::Missing(), String(u"name"));
  EXPECT_EQ(one.As<vb::Array>().UBound(1), 0);
  EXPECT_EQ(vb::CStr(one.As<vb::Array>().Get({0, 0})), u"a");
  EXPECT_EQ(vb::CLng(Field(rs, u"id")), 2);
  com::Call(conn_, u"Execute", String(u"Update p Set n=Null Where id=2"));
  com::Call(rs, u"Requery");
  EXPECT_EQ(vb::CStr(com::Call(rs, u"GetString", int32_t{2}, int32_t{-1}, String(u"|"), String(u"\n"),
                               String(u"(null)"))),
            u"1|a\n2|b\n");
  Variant nulls = Query(conn_, u"Select n From p Order By id");
  EXPECT_EQ(vb::CStr(com::Call(nulls, u"GetString", int32_t{2}, int32_t{-1}, String(u"|"), String(u";"),
                               String(u"(null)"))),
            u"7;(null);");
}

}  // namespace
}  // namespace ado_test
