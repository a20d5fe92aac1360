// ADOX: creating databases, tables, columns, indexes and keys, and reading
// the structure back as it was created.
#include <gtest/gtest.h>

#include "ado_fixture.h"
#include "platform/ado/errors.h"
#include "platform/vb/datetime.h"

namespace ado_test {
namespace {

class AdoxTest : public AdoTest {
 protected:
  // A new, empty database made by a catalog; the catalog stays bound to it.
  Variant NewCatalog(StringView path = u"C:\\site\\Data\\new.mdb") {
    site_.MakeFolder("site/Data");
    Variant catalog = Create(u"Adox.CataLog");
    com::Call(catalog, u"Create", u"Provider=microsoft.jet.oledb.4.0;Data Source=" + String(path));
    return catalog;
  }
  static Variant Table(const Variant& catalog, StringView name) {
    return com::Call(com::Call(catalog, u"Tables"), u"Item", String(name));
  }
  static Variant Column(const Variant& table, StringView name) {
    return com::Call(com::Call(table, u"Columns"), u"Item", String(name));
  }
  static Variant Property(const Variant& column, StringView name) {
    return com::ValueOf(com::Call(column, u"Properties", String(name)));
  }
};

TEST_F(AdoxTest, TheConfigurationTableAsTheConfigurationCodeMakesIt) {
  Variant catalog = NewCatalog(u"C:\\site\\Data\\Config.htm");
  EXPECT_TRUE(std::filesystem::exists(site_.Host("site/Data/Config.htm")));
  Variant table = Create(u"Adox.Table");
  com::Let(table, u"name", Variant(u"Config"));
  Variant columns = com::Call(table, u"Columns");
  for (StringView name : {u"ConfigClass", u"ConfigPara1", u"ConfigPara2", u"ConfigPara3", u"ConfigPara4", u"ConfigPara5"})
    com::Call(columns, u"Append", String(name), int32_t{202}, int32_t{32});
  com::Call(com::Call(catalog, u"Tables"), u"Append", table);

  // Read back through a catalog of its own, on a connection of its own.
  Variant conn = Open(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\Data\\Config.htm");
  Variant again = Create(u"ADOX.Catalog");
  com::SetRef(again, u"ActiveConnection", conn);
  Variant config = Table(again, u"config");
  EXPECT_EQ(vb::CStr(Prop(config, u"Name")), u"Config");
  EXPECT_EQ(vb::CStr(Prop(config, u"Type")), u"TABLE");
  Variant read = com::Call(config, u"Columns");
  ASSERT_EQ(Long(read, u"Count"), 6);
  for (int i = 0; i < 6; ++i) {
    Variant c = com::Call(read, u"Item", int32_t{i});
    EXPECT_EQ(vb::CStr(Prop(c, u"Name")), i == 0 ? String(u"ConfigClass") : u"ConfigPara" + vb::FromUtf8(std::to_string(i)));
    EXPECT_EQ(Long(c, u"Type"), 202);
    EXPECT_EQ(Long(c, u"DefinedSize"), 32);
  }
  EXPECT_EQ(Long(com::Call(config, u"Indexes"), u"Count"), 0);
  EXPECT_EQ(Long(com::Call(config, u"Keys"), u"Count"), 0);
  // The columns take empty texts and 32 characters, not 33.
  com::Call(conn, u"Execute", String(u"Insert Into [Config] (ConfigClass,ConfigPara1,ConfigPara2) Values('DataType','Access','')"));
  EXPECT_EQ(ErrorOf([&] {
              com::Call(conn, u"Execute",
                        u"Insert Into [Config] (ConfigClass,ConfigPara1) Values('SQL_Server','" + String(33, u'1') + u"')");
            }),
            ado::kEFail);
  EXPECT_EQ(vb::CStr(Scalar(conn, u"Select ConfigPara1 From [Config] Where ConfigClass='Datatype'")), u"Access");
}

TEST_F(AdoxTest, CreatingWhereAFileIsFailsAndLeavesItAlone) {
  site_.WriteFile("site/Data/old.mdb", "keep me");
  Variant catalog = Create(u"ADOX.Catalog");
  try {
    com::Call(catalog, u"Create", Jet(u"C:\\site\\Data\\old.mdb"));
    FAIL();
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), ado::kDbDatabaseExists);
    EXPECT_EQ(e.Description(), u"Database already exists.");
  }
  std::ifstream in(site_.Host("site/Data/old.mdb"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me");
  // No folder to create it in: the provider's failure, a negative number.
  EXPECT_LT(ErrorOf([&] { com::Call(catalog, u"Create", Jet(u"C:\\nowhere\\x.mdb")); }), 0);
  EXPECT_EQ(ErrorOf([&] { com::Call(catalog, u"Tables"); }), ado::kErrInvalidConnection);
}

TEST_F(AdoxTest, ColumnsAppendedOneByOneToATableAlreadyInTheDatabase) {
  Variant catalog = NewCatalog();
  Variant table = Create(u"ADOX.Table");
  com::Let(table, u"Name", Variant(u"Article"));
  com::Call(com::Call(catalog, u"Tables"), u"Append", table);  // still without columns
  EXPECT_EQ(Long(com::Call(Table(catalog, u"Article"), u"Columns"), u"Count"), 0);

  struct ColumnCase {
    const char16_t* name;
    int type;
    int size;
    bool autoincrement, nullable, zero_length;
    const char16_t* description;
    Variant default_value;
  };
  const ColumnCase specs[] = {
      {u"ID", 3, 0, true, false, false, u"", Variant()},
      {u"Title", 202, 50, false, false, false, u"标题", Variant()},
      {u"Body", 203, 0, false, true, true, u"", Variant()},
      {u"Active", 11, 0, false, false, false, u"", Variant(u"True")},
      {u"Hits", 3, 0, false, true, false, u"", Variant(u"0")},
      {u"Added", 7, 0, false, true, false, u"", Variant(u"Now()")},
  };
  for (const ColumnCase& s : specs) {
    Variant column = Create(u"ADOX.Column");
    com::SetRef(column, u"ParentCatalog", catalog);
    com::Let(column, u"Name", Variant(s.name));
    com::Let(column, u"Type", Variant(int32_t{s.type}));
    if (s.type >= 200) com::Let(column, u"DefinedSize", Variant(int32_t{s.size}));
    if (s.type == 3) com::Let(column, u"Properties", Variant(s.autoincrement), String(u"Autoincrement"));
    com::Let(com::Call(column, u"Properties", String(u"Nullable")), u"Value", Variant(s.nullable));
    com::Let(column, u"Properties", Variant(s.zero_length), String(u"Jet OLEDB:Allow Zero Length"));
    if (*s.description) com::Let(column, u"Properties", Variant(s.description), String(u"Description"));
    if (!s.default_value.IsEmpty()) com::Let(column, u"Properties", s.default_value, String(u"Default"));
    com::Let(column, u"Properties", Variant(true), String(u"Jet OLEDB:Compressed UNICODE Strings"));
    com::Call(com::Call(table, u"Columns"), u"Append", column);
  }
  // Indexes: a one-column primary key, and two columns with the second descending.
  Variant pk = Create(u"ADOX.Index");
  com::Let(pk, u"Name", Variant(u"PrimaryKey"));
  com::Let(pk, u"PrimaryKey", Variant(true));
  com::Let(pk, u"Unique", Variant(true));
  com::Call(com::Call(pk, u"Columns"), u"Append", String(u"ID"));
  com::Call(com::Call(table, u"Indexes"), u"Append", pk);
  Variant two = Create(u"ADOX.Index");
  com::Let(two, u"Name", Variant(u"ByActiveHits"));
  com::Call(com::Call(two, u"Columns"), u"Append", String(u"Active"));
  com::Call(com::Call(two, u"Columns"), u"Append", String(u"Hits"));
  com::Let(com::Call(two, u"Columns", String(u"Hits")), u"SortOrder", Variant(int32_t{2}));
  com::Call(com::Call(table, u"Indexes"), u"Append", two);

  // Everything reads back as created, from a new catalog.
  Variant again = Create(u"ADOX.Catalog");
  com::Let(again, u"ActiveConnection", Variant(Jet(u"C:\\site\\Data\\new.mdb")));
  Variant article = Table(again, u"Article");
  ASSERT_EQ(Long(com::Call(article, u"Columns"), u"Count"), 6);
  for (size_t i = 0; i < std::size(specs); ++i) {
    const ColumnCase& s = specs[i];
    Variant c = com::Call(com::Call(article, u"Columns"), u"Item", int32_t(i));
    SCOPED_TRACE(vb::ToUtf8(s.name));
    EXPECT_EQ(vb::CStr(Prop(c, u"Name")), s.name);
    EXPECT_EQ(Long(c, u"Type"), s.type);
    if (s.type == 202) EXPECT_EQ(Long(c, u"DefinedSize"), s.size);
    EXPECT_EQ(vb::CBool(Property(c, u"Autoincrement")), s.autoincrement);
    EXPECT_EQ(vb::CBool(Property(c, u"Nullable")), s.nullable);
    EXPECT_EQ(Long(c, u"Attributes"), s.nullable ? 2 : 0);
    EXPECT_EQ(vb::CBool(Property(c, u"Jet OLEDB:Allow Zero Length")), s.zero_length);
    EXPECT_EQ(vb::CStr(Property(c, u"Description")), s.description);
    EXPECT_EQ(Property(c, u"Default"), s.default_value);
    EXPECT_TRUE(vb::CBool(Property(c, u"Jet OLEDB:Compressed UNICODE Strings")));
  }
  Variant indexes = com::Call(article, u"Indexes");
  ASSERT_EQ(Long(indexes, u"Count"), 2);
  Variant first = com::Call(indexes, u"Item", String(u"PrimaryKey"));
  EXPECT_TRUE(Bool(first, u"PrimaryKey"));
  EXPECT_EQ(vb::CStr(Prop(com::Call(first, u"Columns", int32_t{0}), u"Name")), u"ID");
  Variant second = com::Call(indexes, u"Item", int32_t{1});
  EXPECT_FALSE(Bool(second, u"Unique"));
  EXPECT_EQ(Long(com::Call(second, u"Columns"), u"Count"), 2);
  EXPECT_EQ(Long(com::Call(second, u"Columns", int32_t{0}), u"SortOrder"), 1);
  EXPECT_EQ(Long(com::Call(second, u"Columns", int32_t{1}), u"SortOrder"), 2);
  EXPECT_EQ(Long(com::Call(article, u"Keys"), u"Count"), 1);

  // And the table behaves as defined.
  Variant conn = Prop(again, u"ActiveConnection");
  com::Call(conn, u"Execute", String(u"Insert Into Article (Title) Values ('x')"));
  Variant rs = Query(conn, u"Select * From Article");
  EXPECT_EQ(vb::CLng(Field(rs, u"ID")), 1);
  EXPECT_EQ(Field(rs, u"Active"), Variant(true));
  EXPECT_EQ(vb::CLng(Field(rs, u"Hits")), 0);
  EXPECT_NEAR(vb::CDate(Field(rs, u"Added")).serial, vb::Now().serial, 5.0 / 86400);
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"Execute", String(u"Insert Into Article (Title) Values ('')")); }), ado::kEFail);
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"Execute", String(u"Insert Into Article (Hits) Values (1)")); }), ado::kEFail);
}

TEST_F(AdoxTest, TablesListsTheSystemTablesAndDeletesTables) {
  Variant catalog = NewCatalog();
  Variant tables = com::Call(catalog, u"Tables");
  com::Call(tables, u"Append", String(u"Empty"));
  Variant t = Create(u"ADOX.Table");
  com::Let(t, u"Name", Variant(u"Data"));
  com::Call(com::Call(t, u"Columns"), u"Append", String(u"a"), int32_t{3});
  com::Call(tables, u"Append", t);
  EXPECT_EQ(ErrorOf([&] { com::Call(tables, u"Append", t); }), 3367);
  EXPECT_EQ(ErrorOf([&] { com::Call(tables, u"Append", String(u"DATA")); }), ado::kDbErrorsInCommand);
  int user_tables = 0, system_tables = 0;
  for (int i = 0; i < Long(tables, u"Count"); ++i) {
    String type = vb::CStr(Prop(com::Call(tables, u"Item", int32_t{i}), u"Type"));
    (type == u"TABLE" ? user_tables : system_tables) += 1;
  }
  EXPECT_EQ(user_tables, 2);
  EXPECT_GT(system_tables, 0);
  com::Call(tables, u"Delete", String(u"data"));
  EXPECT_EQ(ErrorOf([&] { com::Call(tables, u"Item", String(u"Data")); }), ado::kErrItemNotFound);
  Variant conn = Prop(catalog, u"ActiveConnection");
  EXPECT_EQ(ErrorOf([&] { Scalar(conn, u"Select * From Data"); }), ado::kDbNoSuchTable);
}

TEST_F(AdoxTest, KeysAndUniqueIndexesHoldInTheTable) {
  Variant catalog = NewCatalog();
  Variant t = Create(u"ADOX.Table");
  com::Let(t, u"Name", Variant(u"People"));
  com::Call(com::Call(t, u"Columns"), u"Append", String(u"Code"), int32_t{202}, int32_t{10});
  com::Call(com::Call(t, u"Columns"), u"Append", String(u"Mail"), int32_t{202}, int32_t{50});
  com::Call(com::Call(t, u"Keys"), u"Append", String(u"PrimaryKey"), int32_t{1}, String(u"Code"));
  com::Call(com::Call(catalog, u"Tables"), u"Append", t);
  com::Call(com::Call(t, u"Indexes"), u"Append", String(u"ByMail"), String(u"Mail"));
  Variant conn = Prop(catalog, u"ActiveConnection");
  com::Call(conn, u"Execute", String(u"Insert Into People Values ('a1', 'x@y')"));
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"Execute", String(u"Insert Into People Values ('A1', 'z@y')")); }), ado::kEFail);
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"Execute", String(u"Insert Into People (Mail) Values ('z@y')")); }), ado::kEFail);
  com::Call(conn, u"Execute", String(u"Insert Into People Values ('b2', 'x@y')"));  // ByMail is not unique
  Variant indexes = com::Call(Table(catalog, u"People"), u"Indexes");
  EXPECT_EQ(Long(indexes, u"Count"), 2);
  com::Call(indexes, u"Delete", String(u"ByMail"));
  EXPECT_EQ(Long(indexes, u"Count"), 1);
  // A column in an index stays.
  EXPECT_EQ(ErrorOf([&] { com::Call(com::Call(Table(catalog, u"People"), u"Columns"), u"Delete", String(u"Code")); }),
            ado::kEFail);
  com::Call(com::Call(Table(catalog, u"People"), u"Columns"), u"Delete", String(u"Mail"));
  EXPECT_EQ(vb::CLng(Scalar(conn, u"Select Count(*) From People")), 2);
}

TEST_F(AdoxTest, JetDefinitionsInSqlMakeWhatAdoxMakes) {
  Variant conn = OpenNew({u"Create Table [Score] ([Student] Text(10) Not Null, [Term] Short, [Mark] Single, "
                          u"[Passed] YesNo, Constraint [PrimaryKey] Primary Key ([Student], [Term]))",
                          u"Alter Table Score Add Column Note Text(5) Default 'none'",
                          u"Create Index ByMark On Score (Mark Desc)"});
  Variant catalog = Create(u"ADOX.Catalog");
  com::SetRef(catalog, u"ActiveConnection", conn);
  Variant score = Table(catalog, u"Score");
  const int types[] = {202, 2, 4, 11, 202};
  Variant columns = com::Call(score, u"Columns");
  ASSERT_EQ(Long(columns, u"Count"), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Long(com::Call(columns, u"Item", int32_t{i}), u"Type"), types[i]);
  EXPECT_EQ(Long(Column(score, u"Note"), u"DefinedSize"), 5);
  Variant pk = com::Call(com::Call(score, u"Indexes"), u"Item", String(u"PrimaryKey"));
  EXPECT_TRUE(Bool(pk, u"PrimaryKey"));
  EXPECT_EQ(Long(com::Call(pk, u"Columns"), u"Count"), 2);
  EXPECT_EQ(Long(com::Call(com::Call(score, u"Indexes", String(u"ByMark")), u"Columns", int32_t{0}), u"SortOrder"), 2);
  com::Call(conn, u"Execute", String(u"Insert Into Score (Student, Term) Values ('s', 1)"));
  EXPECT_EQ(vb::CStr(Scalar(conn, u"Select Note From Score")), u"none");
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"Execute", String(u"Insert Into Score (Student, Term) Values ('S', 1)")); }),
            ado::kEFail);
  com::Call(conn, u"Execute", String(u"Drop Index ByMark On Score"));
  com::Call(conn, u"Execute", String(u"Alter Table Score Drop Column Note"));
  EXPECT_EQ(Long(com::Call(Table(catalog, u"Score"), u"Columns"), u"Count"), 4);
  EXPECT_EQ(Long(com::Call(Table(catalog, u"Score"), u"Indexes"), u"Count"), 1);
  com::Call(conn, u"Execute", String(u"Drop Table Score"));
  EXPECT_EQ(ErrorOf([&] { Table(catalog, u"Score"); }), ado::kErrItemNotFound);
  // Made again under the same name, it has only what the new definition says.
  com::Call(conn, u"Execute", String(u"Create Table Score (Student Memo)"));
  EXPECT_EQ(Long(Column(Table(catalog, u"Score"), u"Student"), u"Type"), 203);
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"Execute", String(u"Create Table Bad (x Nonsense)")); }),
            ado::kDbErrorsInCommand);
}

TEST_F(AdoxTest, ChangingABoundTableKeepsItsRows) {
  Variant conn = OpenNew({u"Create Table Old (Name Text(10), Hits Long)", u"Create Index ByName On Old (Name)",
                          u"Insert Into Old Values ('a', 1)", u"Insert Into Old Values ('b', 2)"});
  Variant catalog = Create(u"ADOX.Catalog");
  com::SetRef(catalog, u"ActiveConnection", conn);
  Variant table = Table(catalog, u"Old");
  com::Let(table, u"Name", Variant(u"Renamed"));
  com::Let(Column(table, u"Name"), u"Name", Variant(u"Title"));
  Variant number = Create(u"ADOX.Column");
  com::Let(number, u"Name", Variant(u"ID"));
  com::Let(number, u"Type", Variant(int32_t{3}));
  com::Let(number, u"Properties", Variant(true), String(u"Autoincrement"));
  com::Call(com::Call(table, u"Columns"), u"Append", number);
  Variant rs = Query(conn, u"Select ID, Title, Hits From Renamed Order By ID");
  EXPECT_EQ(vb::CStr(com::Call(rs, u"GetString", int32_t{2}, int32_t{-1}, String(u","), String(u";"))), u"1,a,1;2,b,2;");
  Variant index = com::Call(com::Call(Table(catalog, u"Renamed"), u"Indexes"), u"Item", String(u"ByName"));
  EXPECT_EQ(vb::CStr(Prop(com::Call(index, u"Columns", int32_t{0}), u"Name")), u"Title");
  EXPECT_EQ(ErrorOf([&] { Scalar(conn, u"Select * From Old"); }), ado::kDbNoSuchTable);
  EXPECT_EQ(ErrorOf([&] { com::Call(com::Call(catalog, u"Tables"), u"Delete", String(u"Old")); }), ado::kErrItemNotFound);
}

TEST_F(AdoxTest, TheSchemaRowsetsListTablesAndColumns) {
  Variant conn = OpenNew({u"Create Table Book (ID Counter, Title Text(80) Not Null, Price Currency)"});
  Variant tables = com::Call(conn, u"OpenSchema", int32_t{20},
                             Variant(vb::Array::OfVariants({Variant(), Variant(), Variant(), Variant(u"TABLE")})));
  EXPECT_EQ(vb::CStr(com::Call(tables, u"GetString", int32_t{2}, int32_t{-1}, String(u","), String(u";"))),
            u",,Book,TABLE,;");
  // The position of a column, as the structure capture asks for it.
  Variant columns = com::Call(conn, u"OpenSchema", int32_t{4},
                              Variant(vb::Array::OfVariants({Variant(), Variant(), Variant(u"book"), Variant(u"PRICE")})));
  EXPECT_EQ(vb::CLng(Field(columns, u"ORDINAL_POSITION")), 3);
  EXPECT_EQ(vb::CLng(Field(columns, u"DATA_TYPE")), 6);
  com::Call(columns, u"MoveNext");
  EXPECT_TRUE(Bool(columns, u"EOF"));
}

TEST_F(AdoxTest, ADatabasePasswordIsNeededToOpen) {
  site_.MakeFolder("site/Data");
  Variant catalog = Create(u"ADOX.Catalog");
  com::Call(catalog, u"Create", Jet(u"C:\\site\\Data\\locked.mdb") + u";Jet OLEDB:Database Password=s3cret");
  EXPECT_EQ(ErrorOf([&] { Open(Jet(u"C:\\site\\Data\\locked.mdb")); }), ado::kDbBadPassword);
  EXPECT_EQ(ErrorOf([&] { Open(Jet(u"C:\\site\\Data\\locked.mdb") + u";Jet OLEDB:Database Password=wrong"); }),
            ado::kDbBadPassword);
  EXPECT_NO_THROW(Open(Jet(u"C:\\site\\Data\\locked.mdb") + u";Jet OLEDB:Database Password=s3cret"));
}

}  // namespace
}  // namespace ado_test
