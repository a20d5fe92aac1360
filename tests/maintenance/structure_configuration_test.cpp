// The structure configuration: the capture of databases into its INI and its
// database form, and the rebuild of empty databases from either.
#include <gtest/gtest.h>

#include "access_site.h"
#include "maintenance/structure_database.h"
#include "platform/fs/file.h"
#include "platform/text/ansi.h"
#include "support/file_content.h"

namespace access_test {
namespace {

constexpr char16_t kMain[] = u"C:\\site\\data\\qe.asp";
class StructureTest : public StructureSiteTest {
 protected:
  // A database with most of what a structure holds: an autonumber key, sized
  // text, a memo, defaults, a description, a two-column index with a
  // descending column, a table without indexes and a scratch table.
  void MakeMain() {
    MakeDatabase(kMain, {u"Create Table [Article] ([ID] Counter Primary Key, [Title] Text(100) Not Null, "
                         u"[Body] Memo, [Hits] Long Default 7, [Shared] YesNo, [Added] DateTime)",
                         u"Create Index [TitleHits] On [Article] ([Title], [Hits] Desc)",
                         u"Create Table [Note] ([Text] Text(20))", u"Create Table [TEMP_X] ([a] Long)"});
    SetProperty(kMain, u"Article", u"Title", u"Description", Variant(String(u"标题")));
    // As the builder makes every column.
    for (StringView column : {u"ID", u"Title", u"Body", u"Hits", u"Shared", u"Added"})
      SetProperty(kMain, u"Article", column, u"Jet OLEDB:Compressed UNICODE Strings", Variant(true));
    SetProperty(kMain, u"Note", u"Text", u"Jet OLEDB:Compressed UNICODE Strings", Variant(true));
  }

  static Variant ColumnOf(StringView file, StringView table, StringView column) {
    Variant catalog = Create(u"ADOX.Catalog");
    com::Let(catalog, u"ActiveConnection", Jet(file));
    return com::Call(com::Call(com::Call(catalog, u"Tables", String(table)), u"Columns"), u"Item", String(column));
  }
  static void SetProperty(StringView file, StringView table, StringView column, StringView name, Variant value) {
    com::Let(com::Call(ColumnOf(file, table, column), u"Properties", String(name)), u"Value", std::move(value));
  }
};

// The INI form's layout, whole, for a table without indexes and one with two.
TEST_F(StructureTest, TheIniFormLaysOutSectionsKeysAndEmptyLines) {
  MakeDatabase(kMain, {u"Create Table [B] ([id] Counter Primary Key, [n] Text(10))",
                       u"Create Unique Index [nDown] On [B] ([n] Desc)", u"Create Table [A] ([x] Long)",
                       u"Create Table [temp_x] ([y] Long)"});
  ASSERT_TRUE(Capture(kIni, u"", u" INI "));
  auto column = [](StringView f, StringView type, StringView size, StringView position, StringView autoincrement,
                   StringView nullable, StringView zero) {
    String f_(f);
    return f_ + u"_Name=" + f_ + u"\r\n" + f_ + u"_Type=" + String(type) + u"\r\n" + f_ + u"_DefineSize=" +
           String(size) + u"\r\n" + f_ + u"_NumericScale=0\r\n" + f_ + u"_Position=" + String(position) + u"\r\n" +
           f_ + u"_Autoincrement=" + String(autoincrement) + u"\r\n" + f_ + u"_Default=\r\n" + f_ +
           u"_Description=\r\n" + f_ + u"_Nullable=" + String(nullable) + u"\r\n" + f_ + u"_Fixed Length=False\r\n" +
           f_ + u"_Seed=1\r\n" + f_ + u"_Increment=1\r\n" + f_ + u"_Jet OLEDB:Column Validation Text=\r\n" + f_ +
           u"_Jet OLEDB:Column Validation Rule=\r\n" + f_ + u"_Jet OLEDB:IISAM Not Last Column=False\r\n" + f_ +
           u"_Jet OLEDB:AutoGenerate=False\r\n" + f_ + u"_Jet OLEDB:One BLOB per Page=False\r\n" + f_ +
           u"_Jet OLEDB:Compressed UNICODE Strings=False\r\n" + f_ + u"_Jet OLEDB:Allow Zero Length=" +
           String(zero) + u"\r\n" + f_ + u"_Jet OLEDB:Hyperlink=False\r\n\r\n";
  };
  EXPECT_EQ(IniText(), u"\r\n"
                       u"[DataInfomation]\r\n"
                       u"MdbList=qe.asp,\r\n"
                       u"\r\n"
                       u"[qe.asp]\r\n"
                       u"TableList=A,B,\r\n"
                       u"[A]\r\n"
                       u"FieldList=x,\r\n"
                       u"\r\n" +
                           column(u"x", u"3", u"4", u"1", u"False", u"True", u"True") +
                           u"[B]\r\n"
                           u"FieldList=id,n,\r\n"
                           u"IndexCount=2\r\n"
                           u"Index0=PrimaryKey,True,True,0$id|1,\r\n"
                           u"\r\n"
                           u"Index1=nDown,False,True,0$n|2,\r\n"
                           u"\r\n"
                           u"\r\n" +
                           column(u"id", u"3", u"4", u"1", u"True", u"True", u"True") +
                           column(u"n", u"202", u"10", u"2", u"False", u"True", u"True"));
}

TEST_F(StructureTest, TheDatabaseFormFillsTheFourTables) {
  MakeMain();
  MakeDatabase(u"C:\\site\\data\\other.mdb", {u"Create Table [Z] ([z] Long)"});
  ASSERT_TRUE(Capture(kMdb, u"/data/qe.asp|C:\\site\\data\\other.mdb", u"mdb"));
  EXPECT_EQ(ConfigRows(u"Select MdbID, MdbName From MdbList Order By MdbID"), u"1,qe.asp;2,other.mdb;");
  // TableIDs count every table of the catalog: its own system tables sort
  // before Z, and the scratch table takes a position without a row.
  EXPECT_EQ(ConfigRows(u"Select MdbID, TableID, TableName From TableList Order By MdbID, TableID"),
            u"1,1,Article;1,7,Note;2,6,Z;");
  EXPECT_EQ(ConfigRows(u"Select IndexName, IndexPrimaryKey, IndexUnique, IndexNulls, IndexFieldList From IndexList"),
            u"PrimaryKey,True,True,0,ID|1,;TitleHits,False,False,0,Title|1,Hits|2,;");
  EXPECT_EQ(ConfigRows(u"Select Name, Type, DefinedSize, [Position], Nullable, Description, [Default] From FieldList "
                       u"Where MdbID=1 And TableID=1 Order By [Position]"),
            u"ID,3,4,1,True,,;Title,202,100,2,False,标题,;Body,203,0,3,True,,;Hits,3,4,4,True,,7;"
            u"Shared,11,2,5,False,,;Added,7,8,6,True,,;");
}

TEST_F(StructureTest, CapturesTheSitesMainFileByDefaultAndRefusesAMissingConfiguration) {
  MakeMain();
  String ini = u"C:\\site\\Comm\\none.ini";
  EXPECT_FALSE(Capture(ini, u"", u"ini"));
  EXPECT_TRUE(Ended());
  EXPECT_NE(Body().find(u"对不起，" + ini + u"不存在！"), String::npos);
  NewRequest();
  EXPECT_FALSE(Capture(u"C:\\site\\Comm\\none.mdb", u"", u"mdb"));
  EXPECT_NE(Body().find(u"C:\\site\\Comm\\none.mdb不存在！"), String::npos);
  NewRequest();
  EXPECT_FALSE(Capture(u"", u"", u"xls"));  // no default name for other types
  EXPECT_NE(Body().find(u"请输入保存结构的文件名！"), String::npos);
  NewRequest();
  // "../Comm/Data_Ini.mdb" beside the pages is an INI text under that name.
  site_.WriteFile("site/Comm/Data_Ini.mdb");
  EXPECT_TRUE(Capture(u"", u"", u"ini"));
  EXPECT_NE(text::DecodeAnsi(qe_test::FileContent(site_.Host("site/Comm/Data_Ini.mdb"))).find(u"TableList=Article,Note,"),
            String::npos);
}

TEST_F(StructureTest, RebuildsWhatEitherFormCapturedAndCapturesItAgainTheSame) {
  MakeMain();
  const String original = Structure(kMain);
  ASSERT_TRUE(Capture(kIni, u"", u"ini"));
  ASSERT_TRUE(Capture(kMdb, u"", u"mdb"));
  const String ini = IniText();
  const String rows = ConfigRows(u"Select * From FieldList Order By MdbID, TableID, [Position]");
  ASSERT_TRUE(Rebuild(kIni, u"/from_ini", u"ini"));
  ASSERT_TRUE(Rebuild(kMdb, u"/from_mdb", u"mdb"));
  EXPECT_EQ(Structure(u"C:\\site\\from_ini\\qe.asp"), original);
  EXPECT_EQ(Structure(u"C:\\site\\from_mdb\\qe.asp"), original);
  EXPECT_NE(ErrorOf([&] { Count(u"C:\\site\\from_ini\\qe.asp", u"TEMP_X"); }), 0);
  EXPECT_EQ(Count(u"C:\\site\\from_ini\\qe.asp", u"Article"), 0);
  ASSERT_TRUE(Capture(kIni, u"/from_ini/qe.asp", u"ini"));
  ASSERT_TRUE(Capture(kMdb, u"/from_mdb/qe.asp", u"mdb"));
  EXPECT_EQ(IniText(), ini);
  EXPECT_EQ(ConfigRows(u"Select * From FieldList Order By MdbID, TableID, [Position]"), rows);
  // Nothing is left of the build but the files in place.
  EXPECT_TRUE(std::filesystem::is_empty(site_.Host("site/temp")));
}

TEST_F(StructureTest, ColumnsComeBackInPositionOrderWhateverTheListSays) {
  site_.WriteFile("site/Comm/s.ini",
                  "[DataInfomation]\r\nMdbList=x.mdb,\r\n[x.mdb]\r\nTableList=T,\r\n[T]\r\nFieldList=b,a,\r\n"
                  "IndexCount=1\r\nIndex0=ab,False,False,0$a|1,b|2,\r\n"
                  "b_Name=b\r\nb_Type=202\r\nb_DefineSize=5\r\nb_Position=2\r\nb_Autoincrement=False\r\n"
                  "b_Nullable=True\r\nb_Jet OLEDB:Allow Zero Length=False\r\nb_Description=\r\nb_Default=\r\n"
                  "a_Name=a\r\na_Type=11\r\na_DefineSize=2\r\na_Position=1\r\na_Autoincrement=False\r\n"
                  "a_Nullable=True\r\na_Jet OLEDB:Allow Zero Length=True\r\na_Description=\r\na_Default=\r\n");
  ASSERT_TRUE(Rebuild(kIni, u"C:\\site\\out", u"ini"));
  EXPECT_EQ(Structure(u"C:\\site\\out\\x.mdb"),
            u"table T\n"
            u" a 11/2 auto=False null=False zero=True desc= default=\n"  // a Boolean is never nullable
            u" b 202/5 auto=False null=True zero=False desc= default=\n"
            u" index ab False False a|1 b|2\n");
}

TEST_F(StructureTest, ARebuildRefusesOtherTypesBeforeTouchingAnyFile) {
  MakeMain();
  ASSERT_TRUE(Capture(kMdb, u"", u"mdb"));
  std::string before = qe_test::FileContent(site_.Host("site/data/qe.asp"));
  for (StringView type : {u"INI", u"xls", u"", u"mdb "})
    EXPECT_EQ(ErrorOf([&] { Rebuild(kMdb, u"", type); }), vb::kInvalidProcedureCall) << vb::ToUtf8(type);
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/data/qe.asp")), before);
  EXPECT_FALSE(std::filesystem::exists(site_.Host("site/temp")));
}

TEST_F(StructureTest, TableSqlIsReadAndNotRun) {
  MakeMain();
  ASSERT_TRUE(Capture(kMdb, u"", u"mdb"));
  com::Call(Open(Jet(kMdb)), u"Execute", String(u"Update TableList Set TableSql='Delete From MdbList'"));
  ASSERT_TRUE(Rebuild(kMdb, u"/out", u"mdb"));
  EXPECT_EQ(ConfigRows(u"Select MdbName From MdbList"), u"qe.asp;");
}

// The rebuild replaces the files of the site while its pages hold them open:
// a connection goes on working and sees the rebuilt, empty database.
TEST_F(StructureTest, ARebuildIntoTheDataFolderServesTheConnectionsThatHeldTheOldFiles) {
  MakeMain();
  const String original = Structure(kMain);
  ASSERT_TRUE(Capture(kMdb, u"", u"mdb"));
  Variant writer = Open(Jet(kMain));
  for (int i = 0; i < 5; ++i) com::Call(writer, u"Execute", String(u"Insert Into Note ([Text]) Values ('before')"));
  Variant reader = Open(Jet(kMain));
  ASSERT_EQ(vb::CLng(Scalar(reader, u"Select Count(*) From Note")), 5);
  ASSERT_TRUE(Rebuild(kMdb, u"", u"mdb"));
  EXPECT_EQ(vb::CLng(Scalar(reader, u"Select Count(*) From Note")), 0);
  com::Call(writer, u"Execute", String(u"Insert Into Note ([Text]) Values ('after')"));
  EXPECT_EQ(vb::CStr(Scalar(Open(Jet(kMain)), u"Select [Text] From Note")), u"after");
  EXPECT_EQ(Structure(kMain), original);
}

}  // namespace
}  // namespace access_test
