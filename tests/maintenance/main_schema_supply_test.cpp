// A site's main database made for an older schema gets the schema's new
// tables and columns, with their Jet types, and keeps its rows and whatever
// else it holds; once stamped, it is not looked at again.
#include "maintenance/main_schema_supply.h"

#include <gtest/gtest.h>

#include "access_site.h"
#include "host/site_drive.h"
#include "platform/ado/database_properties.h"
#include "platform/ado/structure_supply.h"
#include "platform/fs/paths.h"
#include "platform/vb/strings.h"
#include "shell/qe_main_database.h"

namespace access_test {
namespace {

constexpr char16_t kMain[] = u"C:\\site\\data\\qe.asp";

class MainSchemaSupply : public AccessSiteTest {
 protected:
  // The main database as the schema made it before the dictionary, the
  // department list and the departments' order, holding a department.
  void MakeOlderMainDatabase(StringView path) {
    Variant conn = MakeDatabase(path);
    for (const String& statement : qe::MainSchemaStatements()) {
      if (statement.find(u"[Sjzd]") != String::npos || statement.find(u"[BuMen]") != String::npos) continue;
      com::Call(conn, u"Execute", vb::Replace(statement, u", [SortId] Long", u""));
    }
    com::Call(conn, u"Execute", String(u"Insert Into [Part] ([Part]) Values ('网管中心')"));
    com::Call(conn, u"Close");
  }
  static String Stamp(StringView path) { return ado::DatabaseProperty(fs::ToHostPath(path), u"QeMainSchema"); }
};

TEST_F(MainSchemaSupply, AnOlderDatabaseGetsWhatTheSchemaAdded) {
  MakeOlderMainDatabase(kMain);
  ASSERT_EQ(Structure(kMain).find(u"table Sjzd"), String::npos);
  EXPECT_TRUE(qe::SupplyMainSchema(kMain));
  ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(u"C:\\site\\schema.mdb"));
  EXPECT_EQ(Structure(kMain), Structure(u"C:\\site\\schema.mdb"));
  Variant conn = Open(Jet(kMain));
  EXPECT_EQ(vb::CStr(Scalar(conn, u"Select Part & '|' & IIf(IsNull(SortId), 'null', SortId) From Part")),
            u"网管中心|null");
  com::Call(conn, u"Execute", String(u"Insert Into Sjzd (名称, 分类, 序号) Values ('高一', '年级', 1)"));
  EXPECT_EQ(Stamp(kMain), qe::MainSchemaStamp());
  EXPECT_FALSE(qe::SupplyMainSchema(kMain)) << "stamped: not looked at again";
  EXPECT_EQ(Count(kMain, u"Sjzd"), 1);
}

TEST_F(MainSchemaSupply, WhatTheSiteHasBeyondTheSchemaStays) {
  MakeOlderMainDatabase(kMain);
  Variant conn = Open(Jet(kMain));
  com::Call(conn, u"Execute", String(u"Create Table [Extra] ([x] Long)"));
  com::Call(conn, u"Execute", String(u"Create Table [sjzd] ([名称] Memo, [备注] Text(10))"));
  com::Call(conn, u"Execute", String(u"Insert Into [sjzd] ([名称], [备注]) Values ('长', '留')"));
  conn = Variant();
  qe::SupplyMainSchema(kMain);
  const String structure = Structure(kMain);
  EXPECT_NE(structure.find(u"table Extra\n"), String::npos);
  // The site's own dictionary keeps its name, its Memo column and its rows,
  // and gets the columns it lacks.
  EXPECT_NE(structure.find(u"table sjzd\n"), String::npos) << vb::ToUtf8(structure);
  EXPECT_NE(structure.find(u" 名称 203/"), String::npos) << vb::ToUtf8(structure);
  EXPECT_NE(structure.find(u" 备注 202/10"), String::npos);
  EXPECT_NE(structure.find(u" 序号 3/"), String::npos);
  EXPECT_EQ(vb::CStr(Scalar(Open(Jet(kMain)), u"Select 名称 & 备注 From sjzd")), u"长留");
}

TEST_F(MainSchemaSupply, AColumnThatMayNotBeNullAllowsNullWhereRowsAreThere) {
  MakeDatabase(u"C:\\site\\model.mdb", {u"Create Table t ([a] Long, [b] Text(5) Not Null)",
                                        u"Create Table u ([a] Long, [b] Text(5) Not Null)"});
  MakeDatabase(u"C:\\site\\target.mdb", {u"Create Table t ([a] Long)", u"Create Table u ([a] Long)",
                                         u"Insert Into t (a) Values (1)"});
  const ado::SuppliedStructure supplied =
      ado::SupplyStructure(fs::ToHostPath(u"C:\\site\\target.mdb"), fs::ToHostPath(u"C:\\site\\model.mdb"));
  EXPECT_EQ(supplied.tables.size(), 0u);
  EXPECT_EQ(supplied.columns, (std::vector<String>{u"t.b", u"u.b"}));
  const String structure = Structure(u"C:\\site\\target.mdb");
  const size_t u_table = structure.find(u"table u\n");
  ASSERT_NE(u_table, String::npos) << vb::ToUtf8(structure);
  EXPECT_NE(structure.substr(0, u_table).find(u" b 202/5 auto=False null=True "), String::npos) << vb::ToUtf8(structure);
  EXPECT_NE(structure.substr(u_table).find(u" b 202/5 auto=False null=False "), String::npos) << vb::ToUtf8(structure);
  EXPECT_EQ(Count(u"C:\\site\\target.mdb", u"t"), 1);
}

TEST_F(MainSchemaSupply, MountingASiteSuppliesItsMainDatabase) {
  MakeOlderMainDatabase(kMain);
  host::MountSite(site_.SiteFolder());
  EXPECT_EQ(Stamp(u"C:\\data\\qe.asp"), qe::MainSchemaStamp());
  EXPECT_NE(Structure(u"C:\\data\\qe.asp").find(u"table BuMen\n"), String::npos);
  // A site without a main database is left without one.
  std::filesystem::remove(site_.Host("site/data/qe.asp"));
  EXPECT_FALSE(qe::SupplyMainSchema(u"C:\\data\\qe.asp"));
  EXPECT_FALSE(std::filesystem::exists(site_.Host("site/data/qe.asp")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(site_.Host("site/data")),
                          std::filesystem::directory_iterator()),
            0)
      << "no model file is left beside it";
}

}  // namespace
}  // namespace access_test
