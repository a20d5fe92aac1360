// The maintenance class's database builder: new databases, tables, columns
// and indexes, and the errors it raises.
#include "maintenance/kesra_class_access.h"

#include <gtest/gtest.h>

#include "access_site.h"
#include "support/file_content.h"
#include "facade/qecls.h"

namespace access_test {
namespace {

constexpr char16_t kFile[] = u"C:\\site\\data\\built.mdb";

class BuilderTest : public AccessSiteTest {
 protected:
  bool CreateDatabase(String name, int32_t version, bool overwrite) {
    return access_->KesraAccessCreateDataBase(name, version, overwrite);
  }
  // A database with one table, "T", to give columns and indexes to.
  void NewTable() {
    access_->DataBaseName(kFile);
    access_->SetDataBaseVer(2);
    ASSERT_TRUE(CreateDatabase(u" ", 0, true));
    ASSERT_TRUE(access_->KesraAccessCreateTable(u"T"));
  }
  static Variant Column(StringView name) {
    Variant catalog = Create(u"ADOX.Catalog");
    com::Let(catalog, u"ActiveConnection", Jet(kFile));
    return com::Call(com::Call(com::Call(catalog, u"Tables", String(u"T")), u"Columns"), u"Item", String(name));
  }
  static Variant Property(StringView column, StringView property) {
    return com::Call(com::Call(Column(column), u"Properties", String(property)), u"Value");
  }
  static Variant Index(StringView name) {
    Variant catalog = Create(u"ADOX.Catalog");
    com::Let(catalog, u"ActiveConnection", Jet(kFile));
    return com::Call(com::Call(com::Call(catalog, u"Tables", String(u"T")), u"Indexes"), u"Item", String(name));
  }
  // The error the body raises, as "number|source|description".
  template <class Body>
  static std::string RaisedBy(Body&& body) {
    try {
      body();
    } catch (const vb::Error& e) {
      return std::to_string(e.Number()) + "|" + vb::ToUtf8(e.Source()) + "|" + vb::ToUtf8(e.Description());
    }
    return "nothing";
  }
};

TEST_F(BuilderTest, TheConnectStringKeepsItsBlanks) {
  access_->DataBaseName(u"C:\\d\\x.mdb");
  EXPECT_EQ(access_->KesraAccessGetConnectString(true), u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source= C:\\d\\x.mdb; ");
  EXPECT_EQ(access_->KesraAccessGetConnectString(false),
            u"Provider=Microsoft.Jet.OLEDB.3.51;Data Source= C:\\d\\x.mdb; ");
}

TEST_F(BuilderTest, ANewDatabaseTakesTheNameAndVersionSetBeforeAndReplacesAnOldFile) {
  site_.WriteFile("site/data/built.mdb", "an old file");
  access_->DataBaseName(kFile);
  access_->SetDataBaseVer(2);
  EXPECT_TRUE(CreateDatabase(u" ", 0, true));
  EXPECT_NO_THROW(Open(Jet(kFile)));
  // A name and a version given to the call are kept for the next one: 3.51 here.
  EXPECT_TRUE(CreateDatabase(u"C:\\site\\data\\old.mdb", 1, false));
  EXPECT_NO_THROW(Open(u"Provider=Microsoft.Jet.OLEDB.3.51;Data Source=C:\\site\\data\\old.mdb"));
  EXPECT_EQ(access_->KesraAccessGetConnectString(false),
            u"Provider=Microsoft.Jet.OLEDB.3.51;Data Source= C:\\site\\data\\old.mdb; ");
}

TEST_F(BuilderTest, RaisesItsOwnErrorsWithTheirTexts) {
  site_.WriteFile("site/data/built.mdb", "keep me");
  access_->DataBaseName(kFile);
  access_->SetDataBaseVer(2);
  EXPECT_EQ(RaisedBy([&] { CreateDatabase(u"", 0, false); }), "30006|kesra_class_access |数据库己存在 ");
  EXPECT_EQ(qe_test::FileContent(site_.Host("site/data/built.mdb")), "keep me");
  EXPECT_EQ(RaisedBy([&] { CreateDatabase(u"", 3, true); }), "30001|kesra_class_access|数据库选择参数未选 ");
  auto fresh = std::make_shared<qe::Kesra_Class_Access>();
  String blank = u" ";
  int32_t version = 2;
  bool overwrite = true;
  EXPECT_EQ(RaisedBy([&] { fresh->KesraAccessCreateDataBase(blank, version, overwrite); }),
            "30002|kesra_class_access|文件名错误---空的文件名 ");
  // Overwriting a file that is not there fails with the deletion's error.
  access_->DataBaseName(u"C:\\site\\nofolder\\x.mdb");
  EXPECT_EQ(RaisedBy([&] { CreateDatabase(u"", 2, true); }).substr(0, 3), "53|");
}

TEST_F(BuilderTest, ATableNeedsADatabase) {
  EXPECT_FALSE(access_->KesraAccessCreateTable(u"T"));  // the catalog is bound to nothing yet
  NewTable();
  EXPECT_FALSE(access_->KesraAccessCreateTable(u"T"));  // it exists
  access_->Class_Terminate();
  EXPECT_FALSE(access_->KesraAccessCreateTable(u"U"));  // no catalog at all
  access_->Class_Initialize();
  EXPECT_TRUE(access_->Catalog().IsObject());
}

TEST_F(BuilderTest, ColumnsTakeTheirTypesSizesAndFlags) {
  NewTable();
  ASSERT_TRUE(access_->KesraAccessAddField(u"ID", 3, 99, true, true, false, u"", Variant()));
  ASSERT_TRUE(access_->KesraAccessAddField(u"Title", 202, 50, false, true, false, u"标题", Variant(String(u"无"))));
  ASSERT_TRUE(access_->KesraAccessAddField(u"Active", 11, 0, false, true, true, u"", Variant(String())));
  ASSERT_TRUE(access_->KesraAccessAddField(u"Body", 203, 0, true, false, true, u"", Variant::Null()));
  EXPECT_EQ(Long(Column(u"ID"), u"DefinedSize"), 4);
  EXPECT_TRUE(vb::CBool(Property(u"ID", u"Autoincrement")));
  EXPECT_EQ(Long(Column(u"Title"), u"DefinedSize"), 50);
  EXPECT_EQ(vb::CStr(Property(u"Title", u"Description")), u"标题");
  EXPECT_EQ(vb::CStr(Property(u"Title", u"Default")), u"无");
  EXPECT_FALSE(vb::CBool(Property(u"Title", u"Jet OLEDB:Allow Zero Length")));
  EXPECT_TRUE(vb::CBool(Property(u"Title", u"Jet OLEDB:Compressed UNICODE Strings")));
  EXPECT_FALSE(vb::CBool(Property(u"Active", u"Nullable")));  // Booleans never are
  EXPECT_TRUE(Property(u"Active", u"Default").IsEmpty());
  EXPECT_FALSE(vb::CBool(Property(u"Body", u"Autoincrement")));  // only a Long takes it
  EXPECT_FALSE(vb::CBool(Property(u"Body", u"Nullable")));
  // A second column of one name is the provider's error, as it is.
  EXPECT_THROW(access_->KesraAccessAddField(u"title", 202, 5, false, true, true, u"", Variant()), vb::Error);
}

TEST_F(BuilderTest, IndexesTakeTheirColumnsInListOrderWithTheirSortOrders) {
  NewTable();
  access_->KesraAccessAddField(u"ID", 3, 0, true, false, false, u"", Variant());
  access_->KesraAccessAddField(u"A", 202, 10, false, true, true, u"", Variant());
  access_->KesraAccessAddField(u"B", 3, 0, false, true, true, u"", Variant());
  EXPECT_TRUE(access_->KesraAccessCreateIndex(u"PrimaryKey", true, true, false, u"ID|1,"));
  EXPECT_TRUE(access_->KesraAccessCreateIndex(u"AB", false, true, true, u"A|1,B|2"));
  Variant key = Index(u"PrimaryKey");
  EXPECT_TRUE(Bool(key, u"PrimaryKey"));
  EXPECT_EQ(Long(com::Call(key, u"Columns"), u"Count"), 1);
  Variant ab = Index(u"AB");
  EXPECT_EQ(Long(ab, u"IndexNulls"), 0);  // nulls allowed, whatever was asked
  EXPECT_EQ(vb::CStr(com::Call(com::Call(ab, u"Columns", int32_t{1}), u"Name")), u"B");
  EXPECT_EQ(Long(com::Call(ab, u"Columns", int32_t{1}), u"SortOrder"), 2);
  EXPECT_EQ(Long(com::Call(ab, u"Columns", int32_t{0}), u"SortOrder"), 1);
  for (StringView list : {u"Nope|1,", u"A", u""})
    EXPECT_EQ(RaisedBy([&] { access_->KesraAccessCreateIndex(u"Bad", false, false, false, String(list)); }),
              "30004|kesra_class_access|建立索引未知错误");
}

TEST_F(BuilderTest, TheFacadesCompareReadsNoFileAndAnswersFalse) {
  qe::QeCls facade;
  EXPECT_FALSE(facade.CommAccessCompare(u"C:\\none\\a.mdb", u"\\\\?\\bad|name", 1));
  EXPECT_TRUE(access_->KesraAccessCompare(u"", u"", 2).IsEmpty());
}

}  // namespace
}  // namespace access_test
