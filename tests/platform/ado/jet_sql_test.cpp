// The Jet dialect rewritten for SQLite: each rule as text, then as results.
#include "platform/ado/jet_sql.h"

#include <gtest/gtest.h>

#include "ado_fixture.h"
#include "platform/ado/errors.h"
#include "platform/vb/datetime.h"
#include "support/printable.h"

namespace ado_test {
namespace {

struct Rewrite {
  const char* jet;
  const char* sqlite;
};

void PrintTo(const Rewrite& r, std::ostream* os) { *os << qe_test::Printable(vb::FromUtf8(r.jet), 56); }

class JetRewrite : public ::testing::TestWithParam<Rewrite> {};

TEST_P(JetRewrite, GivesTheSqliteText) {
  EXPECT_EQ(ado::jet::TranslateToSqlite(vb::FromUtf8(GetParam().jet)), GetParam().sqlite);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, JetRewrite,
    ::testing::Values(
        // Brackets and everything both dialects share pass as they are.
        Rewrite{"Select [Name],[Part] From [User] Where [ID]=1 And Name Like '%a_'",
                "Select [Name],[Part] From [User] Where [ID]=1 And Name Like '%a_'"},
        // #dates# become the stored date text; ambiguous ones are month first.
        Rewrite{"Where d>#2024-1-5#", "Where d>'2024-01-05 00:00:00'"},
        Rewrite{"Where d=#1/5/2024 10:20:30 PM#", "Where d='2024-01-05 22:20:30'"},
        Rewrite{"Where d=#2024/12/31 23:59#", "Where d='2024-12-31 23:59:00'"},
        Rewrite{"Where t=#10:20#", "Where t='1899-12-30 10:20:00'"},
        // Top n becomes LIMIT n at the end of its own SELECT.
        Rewrite{"Select Top 5 * From t Order By id Desc", "Select * From t Order By id Desc LIMIT 5"},
        Rewrite{"Select Distinct Top 2 a From t", "Select Distinct a From t LIMIT 2"},
        Rewrite{"Select a From t Where id In (Select Top 1 id From u Order By id)",
                "Select a From t Where id In (Select id From u Order By id LIMIT 1)"},
        // & concatenates its operands, which end where & binds less tightly.
        Rewrite{"Select a & '-' & b From t", "Select qe_concat(a, '-', b) From t"},
        Rewrite{"Select a+1 & (b & c), d&e As x From t Where f & 'x' = 'yx' And g Like h & '%'",
                "Select qe_concat(a+1, (qe_concat(b, c))), qe_concat(d, e) As x From t Where qe_concat(f, 'x') = "
                "'yx' And g Like qe_concat(h, '%')"},
        Rewrite{"Select Left(a & b, 2) From t", "Select qe_left(qe_concat(a, b), 2) From t"},
        Rewrite{"Select ) & x", "Select ) || x"},  // unbalanced: SQLite refuses it
        // True and False are -1 and 0, but not inside brackets, strings or after a dot.
        Rewrite{"Where Active=True Or Shown=false", "Where Active=-1 Or Shown=0"},
        Rewrite{"Where [True]='True' And t.False=1", "Where [True]='True' And t.False=1"},
        // Delete * From.
        Rewrite{"Delete * From [Config] Where a=1", "DELETE From [Config] Where a=1"},
        Rewrite{"delete [t].* from [t]", "DELETE from [t]"},
        Rewrite{"Delete From t", "DELETE From t"},
        // "double-quoted" literals are single-quoted.
        Rewrite{"Where a=\"it's\" Or b=\"say \"\"hi\"\"\"", "Where a='it''s' Or b='say \"hi\"'"},
        // Mod, DistinctRow.
        Rewrite{"Select a Mod 3 From t", "Select a % 3 From t"},
        Rewrite{"Select DistinctRow a From t", "Select DISTINCT a From t"},
        // Jet's functions by the names they are registered under.
        Rewrite{"Select Left(a,2),Mid(a,2,1),Len(a),UCase(a),Now() From t",
                "Select qe_left(a,2),substr(a,2,1),length(a),qe_ucase(a),qe_now() From t"},
        Rewrite{"Select Format(d,'yyyy') , DateAdd('d',1,d), IIf(a>1,1,0) From t",
                "Select qe_format(d,'yyyy') , qe_dateadd('d',1,d), IIf(a>1,1,0) From t"},
        // A column named like a function, and text that looks like the rules.
        Rewrite{"Select Left, t.Now From t Where x='a & b #1/1/2000# True \"q\"'",
                "Select Left, t.Now From t Where x='a & b #1/1/2000# True \"q\"'"},
        // "]]" in brackets is a "]" of the name, which SQLite takes in double quotes.
        Rewrite{"Drop Table [a]]b]", "Drop Table \"a]b\""},
        Rewrite{"Select [x\"y]]] From [t]", "Select \"x\"\"y]\" From [t]"},
        // One statement: a final ";" is allowed.
        Rewrite{"Select 1;", "Select 1"}));

int32_t TranslationError(const char* sql) {
  try {
    ado::jet::TranslateToSqlite(vb::FromUtf8(sql));
  } catch (const vb::Error& e) {
    return e.Number();
  }
  return 0;
}

TEST(JetRewriteErrors, RefusesWhatJetRefuses) {
  // A second statement (Jet runs one per call), unterminated texts, bad dates.
  EXPECT_EQ(TranslationError("Select 1; Delete From t"), ado::kDbErrorsInCommand);
  EXPECT_EQ(TranslationError("Select 'abc"), ado::kDbErrorsInCommand);
  EXPECT_EQ(TranslationError("Select [abc"), ado::kDbErrorsInCommand);
  EXPECT_EQ(TranslationError("Where d=#2024-2-30#"), ado::kDbErrorsInCommand);
  EXPECT_EQ(TranslationError("Where d=#13/45/2024#"), ado::kDbErrorsInCommand);
  EXPECT_EQ(TranslationError("Where d=#2024-1-5"), ado::kDbErrorsInCommand);
}

TEST(SingleTableSelect, FindsTheTableAndRefusesOtherShapes) {
  auto shape = [](const char* sql) { return ado::jet::AsSingleTableSelect(ado::jet::Translate(vb::FromUtf8(sql))); };
  auto s = shape("Select a, b From [User] u Where u.x=1 Order By a");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->table_name, u"User");
  EXPECT_EQ(s->ref, "u");
  EXPECT_EQ(s->KeysSql(), "SELECT u.rowid From [User] u Where u.x=1 Order By a");
  EXPECT_EQ(s->RowByKeySql(), "SELECT a, b FROM [User] u WHERE u.rowid=?1");
  EXPECT_TRUE(shape("Select * From t Where id In (Select id From u Group By id)"));
  for (const char* other : {"Select Distinct a From t", "Select a From t, u", "Select a From t Inner Join u On t.a=u.a",
                            "Select Count(*) From t Group By a", "Select a From t Union Select a From u",
                            "Select a From (Select a From t)", "Select 1"})
    EXPECT_FALSE(shape(other)) << other;
}

// The rules as results, on a table of one row.
class JetResults : public AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    conn_ = OpenNew({u"Create Table t (a Text(50), d DateTime, n Long, b Bit)",
                     u"Insert Into t (a, d, n, b) Values ('Hello World', #2024-2-28 7:08:09#, 7, True)"});
  }
  Variant Eval(StringView expression) { return Scalar(conn_, u"Select " + String(expression) + u" From t"); }
  String Text(StringView expression) { return vb::CStr(Eval(expression)); }
  double Number(StringView expression) { return vb::CDbl(Eval(expression)); }
  Variant conn_;
};

TEST_F(JetResults, StringFunctions) {
  EXPECT_EQ(Text(u"Left(a,5)"), u"Hello");
  EXPECT_EQ(Text(u"Right(a,5)"), u"World");
  EXPECT_EQ(Text(u"Mid(a,7,3)"), u"Wor");
  EXPECT_EQ(Text(u"Mid(a,7)"), u"World");
  EXPECT_EQ(Number(u"Len(a)"), 11);
  EXPECT_EQ(Number(u"Len('中文字')"), 3);
  EXPECT_EQ(Number(u"InStr(a,'world')"), 7);   // text comparison, as Jet compares
  EXPECT_EQ(Number(u"InStr(8,a,'o')"), 8);
  EXPECT_EQ(Number(u"InStr(1,a,'world',0)"), 0);  // binary comparison
  EXPECT_EQ(Number(u"InStr(a,'xyz')"), 0);
  EXPECT_EQ(Text(u"UCase(a) & LCase('AbC')"), u"HELLO WORLDabc");
  EXPECT_EQ(Text(u"'[' & Trim('  x  ') & ']' & LTrim(' y') & RTrim('z ')"), u"[x]yz");
  EXPECT_EQ(Text(u"a & \"!\""), u"Hello World!");
  // Null is an empty text to &, and numbers are written as VB writes them.
  EXPECT_EQ(Text(u"'[' & Null & ']' & 1.5 & 2"), u"[]1.52");
  EXPECT_TRUE(Eval(u"Null & Null").IsNull());
  EXPECT_EQ(Text(u"Space(3) & 'x'"), u"   x");
  EXPECT_TRUE(Eval(u"Left(Null,2)").IsNull());
}

TEST_F(JetResults, DateFunctions) {
  EXPECT_EQ(Number(u"Year(d)"), 2024);
  EXPECT_EQ(Number(u"Month(d)"), 2);
  EXPECT_EQ(Number(u"Day(d)"), 28);
  EXPECT_EQ(Number(u"Hour(d)*10000+Minute(d)*100+Second(d)"), 70809);
  EXPECT_EQ(Number(u"Weekday(d)"), 4);  // a Wednesday; Sunday is 1
  EXPECT_EQ(vb::CDate(Eval(u"DateAdd('d',1,d)")), vb::DateFromParts({2024, 2, 29, 7, 8, 9}));
  EXPECT_EQ(vb::CDate(Eval(u"DateAdd('m',1,#2024-1-31#)")), vb::DateFromParts({2024, 2, 29}));
  EXPECT_EQ(Number(u"DateDiff('d',#2024-1-1#,d)"), 58);
  EXPECT_EQ(Text(u"Format(d,'yyyy-mm-dd hh:nn:ss')"), u"2024-02-28 07:08:09");
  EXPECT_EQ(Text(u"Format(d,'yyyymmdd')"), u"20240228");
  EXPECT_EQ(Text(u"Format(d,'h:mm')"), u"7:08");  // m after an hour is the minute
  // Expressions over dates are dates; Format gives text.
  EXPECT_TRUE(Eval(u"Max(d)").Holds<vb::Date>());
  EXPECT_TRUE(Eval(u"DateAdd('yyyy',1,d) As Later").Holds<vb::Date>());
  EXPECT_TRUE(Eval(u"Format(d,'yyyy-mm-dd hh:nn:ss')").IsString());
  // Now() is the local time.
  double now = vb::CDate(Eval(u"Now()")).serial;
  EXPECT_NEAR(now, vb::Now().serial, 5.0 / 86400);
  EXPECT_EQ(vb::CDate(Eval(u"Date()")), vb::Today());
  // Dates compare as dates.
  EXPECT_EQ(Number(u"Count(*)") , 1);
  EXPECT_EQ(vb::CLng(Scalar(conn_, u"Select Count(*) From t Where d > #2024-2-28# And d < #2/29/2024#")), 1);
  EXPECT_EQ(vb::CLng(Scalar(conn_, u"Select Count(*) From t Where d Between #2024-1-1# And #2024-2-1#")), 0);
}

TEST_F(JetResults, NumbersAndConditions) {
  EXPECT_EQ(Number(u"n Mod 4"), 3);
  EXPECT_EQ(Text(u"IIf(n>5,'big','small')"), u"big");
  EXPECT_EQ(Text(u"Nz(Null,'none')"), u"none");
  EXPECT_EQ(Number(u"IsNull(Null) + IsNull(n)"), -1);
  EXPECT_EQ(Number(u"CLng('12') + Val(' 3.5kg') + Int(-2.5) + Fix(-2.5)"), 12 + 3.5 - 3 - 2);
  EXPECT_EQ(Number(u"Round(2.5) + Round(3.5) + Round(1.005, 2) * 1000"), 2 + 4 + 1000);
  EXPECT_EQ(Text(u"Format(1234.5,'#,##0.00')"), u"1,234.50");
  EXPECT_EQ(Text(u"Format(0.256,'0.0%')"), u"25.6%");
  EXPECT_EQ(Text(u"Format(7,'000')"), u"007");
  // Yes/No columns hold -1 and 0 and compare with True and False.
  EXPECT_EQ(Number(u"b"), -1);
  EXPECT_EQ(vb::CLng(Scalar(conn_, u"Select Count(*) From t Where b=True")), 1);
  EXPECT_EQ(vb::CLng(Scalar(conn_, u"Select Count(*) From t Where Not b")), 0);
}

TEST_F(JetResults, TopAndDeleteStar) {
  com::Call(conn_, u"Execute", String(u"Insert Into t (a, n) Values ('x', 1)"));
  com::Call(conn_, u"Execute", String(u"Insert Into t (a, n) Values ('y', 2)"));
  Variant rs = Query(conn_, u"Select Top 2 a From t Order By n");
  EXPECT_EQ(Long(rs, u"RecordCount"), 2);
  EXPECT_EQ(vb::CStr(Field(rs, u"a")), u"x");
  Variant affected;
  com::Call(conn_, u"Execute", String(u"Delete * From t Where n < 7"), affected);
  EXPECT_EQ(vb::CLng(affected), 2);
  EXPECT_EQ(vb::CLng(Scalar(conn_, u"Select Count(*) From t")), 1);
}

TEST_F(JetResults, UnknownColumnsAndTablesFailAsJetDoes) {
  EXPECT_EQ(ErrorOf([&] { Eval(u"NoSuchColumn"); }), ado::kDbMissingParameter);
  EXPECT_EQ(ErrorOf([&] { Scalar(conn_, u"Select * From NoSuchTable"); }), ado::kDbNoSuchTable);
  EXPECT_EQ(ErrorOf([&] { Scalar(conn_, u"Selec * From t"); }), ado::kDbErrorsInCommand);
  EXPECT_EQ(ErrorOf([&] { Eval(u"Year('not a date')"); }), ado::kDbTypeMismatch);
}

// The form cells' option lists as they are written: Chinese names without
// brackets, lower-case table names, As and Order By in any case.
TEST_F(AdoTest, OptionListsAsTheFormCellsWriteThem) {
  Variant conn = OpenNew({u"Create Table [Sjzd] ([ID] Counter Primary Key, [名称] Text(50), [分类] Text(50), [序号] Long)",
                          u"Create Table [BuMen] ([ID] Counter Primary Key, [部门名称] Text(50), [排列顺序] Long)",
                          u"Create Table [Part] ([ID] Counter Primary Key, [Part] Text(50), [SortId] Long)",
                          u"Insert Into Sjzd (名称, 分类, 序号) Values ('乙', '类', 2)",
                          u"Insert Into Sjzd (名称, 分类, 序号) Values ('甲', '类', 1)",
                          u"Insert Into Sjzd (名称, 分类, 序号) Values ('丙', '别类', 0)",
                          u"Insert Into BuMen (部门名称, 排列顺序) Values ('二部', 2)",
                          u"Insert Into BuMen (部门名称, 排列顺序) Values ('一部', 1)",
                          u"Insert Into Part (Part, SortId) Values ('后', 5)",
                          u"Insert Into Part (Part, SortId) Values ('前', 4)"});
  auto names = [&](StringView sql) {
    String out;
    for (Variant rs = Query(conn, sql); !Bool(rs, u"EOF"); com::Call(rs, u"MoveNext"))
      out += vb::CStr(Field(rs, u"名称")) + u",";
    return out;
  };
  EXPECT_EQ(names(u"Select 名称 From [Sjzd] Where 分类='类' Order By 序号 Asc"), u"甲,乙,");
  EXPECT_EQ(names(u"Select 部门名称 As 名称 From [BuMen] Order By 排列顺序"), u"一部,二部,");
  EXPECT_EQ(names(u"Select Part As 名称 From [Part] Order By [SortId]"), u"前,后,");
  EXPECT_EQ(names(u"select 部门名称 as 名称 from bumen order by 排列顺序"), u"一部,二部,");
  EXPECT_EQ(names(u"select 名称 from sjzd where 分类='别类'"), u"丙,");
}

}  // namespace
}  // namespace ado_test
