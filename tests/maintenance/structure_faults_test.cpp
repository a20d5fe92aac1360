// What the structure configuration keeps whole that a plain capture and
// rebuild would lose or break: quotes in names, long and padded values, equal
// table names, odd index names, sets the INI form cannot carry, and failures
// half way through.
#include <gtest/gtest.h>

#include "access_site.h"
#include "maintenance/structure_database.h"
#include "platform/fs/paths.h"
#include "platform/sys/profile.h"
#include "platform/text/ansi.h"
#include "support/file_content.h"

namespace access_test {
namespace {

class StructureFaultTest : public StructureSiteTest {
 protected:
  // A database of one table made through ADOX, so that any name goes; each
  // column is (name, type, size, description, default).
  struct Col {
    String name;
    int32_t type;
    int32_t size;
    String description;
    String fallback;
  };
  void MakeTable(StringView file, StringView table, std::initializer_list<Col> columns,
                 std::initializer_list<std::pair<String, String>> indexes = {}) {
    if (!std::filesystem::exists(fs::ToHostPath(file))) MakeDatabase(file);
    Variant catalog = Create(u"ADOX.Catalog");
    com::Let(catalog, u"ActiveConnection", Jet(file));
    Variant t = Create(u"ADOX.Table");
    com::Let(t, u"Name", String(table));
    com::Call(com::Call(catalog, u"Tables"), u"Append", t);
    for (const Col& c : columns) {
      Variant column = Create(u"ADOX.Column");
      com::Let(column, u"Name", c.name);
      com::Let(column, u"Type", c.type);
      if (c.size) com::Let(column, u"DefinedSize", c.size);
      if (!c.description.empty()) com::Let(com::Call(column, u"Properties", String(u"Description")), u"Value", c.description);
      if (!c.fallback.empty()) com::Let(com::Call(column, u"Properties", String(u"Default")), u"Value", c.fallback);
      com::Let(com::Call(column, u"Properties", String(u"Jet OLEDB:Compressed UNICODE Strings")), u"Value", true);
      com::Call(com::Call(t, u"Columns"), u"Append", column);
    }
    for (const auto& [name, column] : indexes) {
      Variant ix = Create(u"ADOX.Index");
      com::Let(ix, u"Name", name);
      com::Call(com::Call(ix, u"Columns"), u"Append", column);
      com::Call(com::Call(t, u"Indexes"), u"Append", ix);
    }
  }
  static String Column(StringView file, StringView table, StringView column, StringView property) {
    Variant catalog = Create(u"ADOX.Catalog");
    com::Let(catalog, u"ActiveConnection", Jet(file));
    Variant c = com::Call(com::Call(com::Call(catalog, u"Tables", String(table)), u"Columns"), u"Item", String(column));
    return vb::CStr(com::Call(com::Call(c, u"Properties", String(property)), u"Value"));
  }
  // The names of a table's columns or indexes, each followed by ",".
  static String Names(StringView file, StringView table, StringView collection = u"Columns") {
    Variant catalog = Create(u"ADOX.Catalog");
    com::Let(catalog, u"ActiveConnection", Jet(file));
    Variant items = com::Call(com::Call(catalog, u"Tables", String(table)), collection);
    String out;
    for (int32_t i = 0; i < Long(items, u"Count"); ++i) out += vb::CStr(Prop(com::Call(items, u"Item", i), u"Name")) + u",";
    return out;
  }
};

TEST_F(StructureFaultTest, QuotesInNamesAndValuesGoIntoTheConfigurationDatabaseWhole) {
  MakeTable(u"C:\\site\\data\\o'neil.mdb", u"Teacher's \"list\"",
            {{u"it's", 202, 30, u"say \"hi\", it's =, fine", u"'quoted'"}, {u"n", 3, 0, u"", u""}},
            {{u"by it's", u"it's"}});
  ASSERT_TRUE(Capture(kMdb, u"C:\\site\\data\\o'neil.mdb", u"mdb"));
  ASSERT_TRUE(Rebuild(kMdb, u"/out", u"mdb"));
  const String rebuilt = u"C:\\site\\out\\o'neil.mdb";
  EXPECT_EQ(Names(rebuilt, u"Teacher's \"list\""), u"it's,n,");
  EXPECT_EQ(Column(rebuilt, u"Teacher's \"list\"", u"it's", u"Description"), u"say \"hi\", it's =, fine");
  EXPECT_EQ(Column(rebuilt, u"Teacher's \"list\"", u"it's", u"Default"), u"'quoted'");
  EXPECT_EQ(Names(rebuilt, u"Teacher's \"list\"", u"Indexes"), u"by it's,");
  // An empty value that is not text is stored as an empty text, not as "=,".
  EXPECT_EQ(ConfigRows(u"Select [Default], [Jet OLEDB:Column Validation Rule] From FieldList Where Name='n'"), u",;");
}

TEST_F(StructureFaultTest, AFailedCaptureLeavesTheConfigurationAsItWas) {
  MakeTable(u"C:\\site\\data\\qe.asp", u"T", {{u"a", 3, 0, u"", u""}});
  ASSERT_TRUE(Capture(kMdb, u"", u"mdb"));
  ASSERT_TRUE(Capture(kIni, u"", u"ini"));
  const String rows = ConfigRows(u"Select * From FieldList");
  const std::string ini = IniBytes();
  // The second database cannot be read: nothing of the first is written either.
  site_.WriteFile("site/data/broken.mdb", "not a database");
  MakeTable(u"C:\\site\\data\\new.mdb", u"U", {{u"b", 3, 0, u"", u""}});
  for (StringView type : {u"mdb", u"ini"}) {
    StringView config = type == u"mdb" ? kMdb : kIni;
    EXPECT_FALSE(Capture(config, u"/data/new.mdb|/data/broken.mdb", type));
    EXPECT_FALSE(Ended());
  }
  EXPECT_EQ(ConfigRows(u"Select * From FieldList"), rows);
  EXPECT_EQ(IniBytes(), ini);
  // A configuration database without a column for a property refuses the
  // update: the rows deleted before it come back.
  com::Call(Open(Jet(kMdb)), u"Execute", String(u"Alter Table FieldList Drop Column [Jet OLEDB:Hyperlink]"));
  EXPECT_FALSE(Capture(kMdb, u"/data/new.mdb", u"mdb"));
  EXPECT_EQ(ConfigRows(u"Select MdbName From MdbList"), u"qe.asp;");
}

TEST_F(StructureFaultTest, LongValuesAreReadBackWhole) {
  // A column list of more than 3000 bytes, a description of more than 500.
  std::vector<Col> many;
  for (int i = 0; i < 100; ++i)
    many.push_back({u"学生成绩登记表第" + vb::FromUtf8(std::to_string(i)) + u"列的分数与名次", 3, 0, u"", u""});
  String long_description(800, u'说');
  MakeDatabase(u"C:\\site\\data\\qe.asp");
  {
    Variant catalog = Create(u"ADOX.Catalog");
    com::Let(catalog, u"ActiveConnection", Jet(u"C:\\site\\data\\qe.asp"));
    Variant t = Create(u"ADOX.Table");
    com::Let(t, u"Name", String(u"Wide"));
    for (const Col& c : many) com::Call(com::Call(t, u"Columns"), u"Append", c.name, c.type);
    com::Call(com::Call(catalog, u"Tables"), u"Append", t);
  }
  MakeTable(u"C:\\site\\data\\qe.asp", u"Notes", {{u"body", 203, 0, long_description, u""}});
  // Enough databases with long names that their list passes 500 bytes.
  String list = u"/data/qe.asp";
  for (int i = 0; i < 8; ++i) {
    String name = u"C:\\site\\data\\数据库文件名很长很长很长很长很长很长很长很长很长很长很长很长很长很长很长第" +
                  vb::FromUtf8(std::to_string(i)) + u"个.mdb";
    MakeTable(name, u"T", {{u"a", 3, 0, u"", u""}});
    list += u"|" + name;
  }
  ASSERT_TRUE(Capture(kIni, list, u"ini"));
  ASSERT_TRUE(Rebuild(kIni, u"/out", u"ini"));
  EXPECT_EQ(Long(com::Call(Query(Open(Jet(u"C:\\site\\out\\qe.asp")), u"Select * From Wide"), u"Fields"), u"Count"), 100);
  EXPECT_EQ(Column(u"C:\\site\\out\\qe.asp", u"Notes", u"body", u"Description"), long_description);
  EXPECT_TRUE(std::filesystem::exists(site_.Host("site/out") /
                                      std::filesystem::path(u8"数据库文件名很长很长很长很长很长很长很长很长很长很长很长很长很长很长很长第7个.mdb")));
}

// A value in quotes keeps them; one with blanks around it reads back with
// them, and the rebuild then trims it as it trims every value it reads.
TEST_F(StructureFaultTest, QuotedAndPaddedValuesReadBackAsTheyWere) {
  MakeTable(u"C:\\site\\data\\qe.asp", u"T",
            {{u"a", 202, 20, u"  two blanks before and after  ", u"'x'"}, {u"b", 202, 20, u"\"said\"", u"\"y\""}});
  ASSERT_TRUE(Capture(kIni, u"", u"ini"));
  sys::Profile ini = sys::Profile::Load(kIni);
  EXPECT_EQ(ini.Value(u"T", u"a_Description"), u"  two blanks before and after  ");
  EXPECT_EQ(ini.Value(u"T", u"a_Default"), u"'x'");
  ASSERT_TRUE(Rebuild(kIni, u"/out", u"ini"));
  const String out = u"C:\\site\\out\\qe.asp";
  EXPECT_EQ(Column(out, u"T", u"a", u"Description"), u"two blanks before and after");
  EXPECT_EQ(Column(out, u"T", u"a", u"Default"), u"'x'");
  EXPECT_EQ(Column(out, u"T", u"b", u"Description"), u"\"said\"");
  EXPECT_EQ(Column(out, u"T", u"b", u"Default"), u"\"y\"");
}

TEST_F(StructureFaultTest, EqualTableNamesInTwoDatabasesKeepTheirOwnColumns) {
  MakeTable(u"C:\\site\\data\\qe.asp", u"User", {{u"Name", 202, 50, u"", u""}});
  MakeTable(u"C:\\site\\data\\blog.mdb", u"user", {{u"Blog", 202, 50, u"", u""}, {u"Hits", 3, 0, u"", u""}});
  ASSERT_TRUE(Capture(kIni, u"/data/qe.asp|/data/blog.mdb", u"ini"));
  EXPECT_NE(text::DecodeAnsi(IniBytes()).find(u"[blog.mdb\\user]"), String::npos);
  ASSERT_TRUE(Rebuild(kIni, u"/out", u"ini"));
  EXPECT_EQ(Names(u"C:\\site\\out\\qe.asp", u"User"), u"Name,");
  EXPECT_EQ(Names(u"C:\\site\\out\\blog.mdb", u"user"), u"Blog,Hits,");
}

TEST_F(StructureFaultTest, IndexNamesWithCommasAndDollarsReadBack) {
  MakeTable(u"C:\\site\\data\\qe.asp", u"T", {{u"a$b", 3, 0, u"", u""}, {u"c", 3, 0, u"", u""}},
            {{u"by a,True,True,0$ and c", u"a$b"}, {u"$", u"c"}});
  ASSERT_TRUE(Capture(kIni, u"", u"ini"));
  ASSERT_TRUE(Rebuild(kIni, u"/out", u"ini"));
  EXPECT_EQ(Names(u"C:\\site\\out\\qe.asp", u"T", u"Indexes"), u"by a,True,True,0$ and c,$,");
}

TEST_F(StructureFaultTest, TheIniFormRefusesWhatItCannotCarryAndTheDatabaseFormCarriesIt) {
  const std::vector<std::pair<String, Col>> cases = {
      {u"a,b", {u"x", 3, 0, u"", u""}},             // a comma in a table name
      {u"a]b", {u"x", 3, 0, u"", u""}},             // a bracket in a section name
      {u"T", {u"x=y", 3, 0, u"", u""}},             // "=" in a column name
      {u"T", {u"x,y", 3, 0, u"", u""}},             // a comma in a column name
      {u"T", {u"x", 202, 9, u"line\r\nbreak", u""}},  // a line break in a value
      {u"T", {u"x", 202, 9, u"😀", u""}},            // a character the code page lacks
  };
  int n = 0;
  for (const auto& [table, column] : cases) {
    SCOPED_TRACE(vb::ToUtf8(table + u"/" + column.name + u"/" + column.description));
    String file = u"C:\\site\\data\\case" + vb::FromUtf8(std::to_string(++n)) + u".mdb";
    MakeTable(file, table, {column});
    EXPECT_FALSE(Capture(kIni, file, u"ini"));
    EXPECT_EQ(IniBytes(), "old content");
    ASSERT_TRUE(Capture(kMdb, file, u"mdb"));
    ASSERT_TRUE(Rebuild(kMdb, u"/out", u"mdb"));
    String rebuilt = u"C:\\site\\out\\case" + vb::FromUtf8(std::to_string(n)) + u".mdb";
    EXPECT_EQ(Names(rebuilt, table), column.name + u",");
    EXPECT_EQ(Column(rebuilt, table, column.name, u"Description"), column.description);
  }
  // "|" in a column an index names.
  MakeTable(u"C:\\site\\data\\bar.mdb", u"T", {{u"a|b", 3, 0, u"", u""}}, {{u"ix", u"a|b"}});
  EXPECT_FALSE(Capture(kIni, u"/data/bar.mdb", u"ini"));
  EXPECT_EQ(IniBytes(), "old content");
}

TEST_F(StructureFaultTest, AFailedRebuildLeavesTheTargetAsItWas) {
  MakeTable(u"C:\\site\\data\\qe.asp", u"T", {{u"a", 3, 0, u"", u""}});
  MakeTable(u"C:\\site\\data\\two.mdb", u"U", {{u"b", 3, 0, u"", u""}});
  com::Call(Open(Jet(u"C:\\site\\data\\qe.asp")), u"Execute", String(u"Insert Into T (a) Values (1)"));
  ASSERT_TRUE(Capture(kMdb, u"/data/qe.asp|/data/two.mdb", u"mdb"));
  // The second database's column has a type no provider knows.
  com::Call(Open(Jet(kMdb)), u"Execute", String(u"Update FieldList Set Type='999' Where Name='b'"));
  EXPECT_NE(ErrorOf([&] { Rebuild(kMdb, u"", u"mdb"); }), 0);
  EXPECT_EQ(Count(u"C:\\site\\data\\qe.asp", u"T"), 1);
  EXPECT_TRUE(std::filesystem::is_empty(site_.Host("site/temp")));
  // A configuration that lists a database twice, or none, is refused too.
  com::Call(Open(Jet(kMdb)), u"Execute", String(u"Update MdbList Set MdbName='QE.asp' Where MdbID=2"));
  EXPECT_EQ(ErrorOf([&] { Rebuild(kMdb, u"", u"mdb"); }), vb::kInvalidProcedureCall);
  com::Call(Open(Jet(kMdb)), u"Execute", String(u"Delete From MdbList"));
  EXPECT_EQ(ErrorOf([&] { Rebuild(kMdb, u"", u"mdb"); }), vb::kInvalidProcedureCall);
  EXPECT_EQ(Count(u"C:\\site\\data\\qe.asp", u"T"), 1);
}

}  // namespace
}  // namespace access_test
