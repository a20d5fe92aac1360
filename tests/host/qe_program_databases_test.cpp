// The site's databases from a shell: the configuration database made on
// first use, and a new main database seeded.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "qe_command.h"
#include "shell/qe_main_database.h"
#include "support/temp_site.h"

namespace {

using qe_command::RunQe;

class QeProgramDatabases : public testing::Test {
 protected:
  std::string Call(const std::string& member) {
    return RunQe("call --site '" + site_.SiteFolder().string() + "' " + member);
  }
  qe_test::TempSite site_;
};

TEST_F(QeProgramDatabases, TheFirstCallMakesTheConfigurationDatabaseOfAnEmptySite) {
  EXPECT_EQ(Call("CommConfig_GetConnString"), "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\Data\\Config.htm\n");
  EXPECT_TRUE(std::filesystem::is_regular_file(site_.Host("site/data/Config.htm")));
  EXPECT_EQ(Call("CommConfig_GetConnString"), "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\Data\\Config.htm\n");
}

TEST_F(QeProgramDatabases, SeedsAMainDatabaseMadeFromTheSchema) {
  site_.MakeFolder("site/data");
  ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(u"C:\\site\\data\\qe.asp"));
  EXPECT_EQ(Call("CommDataInit"), "");
  vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Call(conn, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\qe.asp"));
  auto count = [&](const char16_t* table) {
    vb::Variant rs = com::Call(conn, u"Execute", u"Select Count(*) From [" + vb::String(table) + u"]");
    return vb::CLng(com::ValueOf(com::Call(rs, u"", int32_t{0})));
  };
  EXPECT_EQ(count(u"User"), 1);
  EXPECT_EQ(count(u"Class"), 13);
  EXPECT_EQ(count(u"NClass"), 67);
  EXPECT_TRUE(std::filesystem::is_regular_file(site_.Host("site/data/Config.htm")));
}

}  // namespace

TEST_F(QeProgramDatabases, CapturesRebuildsAndCompactsTheMainDatabase) {
  site_.MakeFolder("site/data");
  ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(u"C:\\site\\data\\qe.asp"));
  // The INI form is written into a file that must exist.
  EXPECT_EQ(Call("CommAccessCreateConfig /Comm/s.ini '' ini"), "False\n");
  // Mounting gave the site its structure configuration.
  EXPECT_TRUE(std::filesystem::is_regular_file(site_.Host("site/Comm/Data_Mdb.mdb")));
  site_.WriteFile("site/Comm/s.ini");
  EXPECT_EQ(Call("CommAccessCreateConfig /Comm/s.ini '' ini"), "True\n");
  EXPECT_EQ(Call("CommAccessCreateFromConfig /Comm/s.ini /rebuilt ini"), "True\n");
  vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
  com::Call(conn, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\rebuilt\\qe.asp"));
  vb::Variant rs = com::Call(conn, u"Execute", vb::String(u"Select Count(*) From [NClass]"));
  EXPECT_EQ(vb::CLng(com::ValueOf(com::Call(rs, u"", int32_t{0}))), 0);
  EXPECT_EQ(Call("CommAccessCompact '$'"), "True\n");
  EXPECT_TRUE(std::filesystem::exists(site_.Host("site/AutoBackup")));
}

namespace {

// Every user table of the database with its rows, each value as its type and text.
std::string Content(const vb::String& file) {
  vb::Variant catalog(com::CreateObject(u"ADOX.Catalog"));
  com::Let(catalog, u"ActiveConnection", u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
  std::vector<vb::String> tables;
  vb::Variant list = com::Call(catalog, u"Tables");
  for (int32_t i = 0; i < vb::CLng(com::Call(list, u"Count")); ++i) {
    vb::Variant t = com::Call(list, u"Item", i);
    if (vb::CStr(com::Call(t, u"Type")) == u"TABLE") tables.push_back(vb::CStr(com::Call(t, u"Name")));
  }
  vb::Variant conn = com::Call(catalog, u"ActiveConnection");
  std::string out;
  for (const vb::String& table : tables) {
    out += "table " + vb::ToUtf8(table) + "\n";
    vb::Variant rs = com::Call(conn, u"Execute", u"Select * From [" + table + u"] Order By 1");
    int32_t fields = vb::CLng(com::Call(com::Call(rs, u"Fields"), u"Count"));
    for (; !vb::CBool(com::Call(rs, u"EOF")); com::Call(rs, u"MoveNext")) {
      for (int32_t f = 0; f < fields; ++f) {
        vb::Variant v = com::ValueOf(com::Call(rs, u"", f));
        out += std::to_string(v.Type()) + ":" + (v.IsNull() || v.IsArray() ? "" : vb::ToUtf8(vb::CStr(v))) + "|";
      }
      out += "\n";
    }
  }
  return out;
}

TEST_F(QeProgramDatabases, ALevelTwoRepairOfASeededSiteKeepsEveryRow) {
  site_.MakeFolder("site/data");
  ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(u"C:\\site\\data\\qe.asp"));
  ASSERT_EQ(Call("CommDataInit"), "");
  {
    vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\qe.asp"));
    com::Call(conn, u"Execute", vb::String(u"Insert Into Part (Part) Values ('教务处 O''Brien 007')"));
    com::Call(conn, u"Execute", vb::String(u"Delete From NClass Where ID In (3, 4)"));
  }
  const std::string before = Content(u"C:\\site\\data\\qe.asp");
  ASSERT_NE(before.find("O'Brien"), std::string::npos);
  EXPECT_EQ(Call("CommAccessRepair /data qe.asp /Comm/Data_Mdb.mdb 2"), "True\n");
  EXPECT_EQ(Content(u"C:\\site\\data\\qe.asp"), before);
}

// The operator accounts page from a shell: Conn is open on the site's main
// database, so the page lists its accounts.
TEST_F(QeProgramDatabases, TheAccountsPageRunsWithTheSitesConnection) {
  site_.MakeFolder("site/data");
  ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(u"C:\\site\\data\\qe.asp"));
  {
    vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\qe.asp"));
    com::Call(conn, u"Execute",
              vb::String(u"Insert Into [Wazh] ([UserName],[Password],[Right],[Part],[IsDefault]) Values('admin','',1,'',-1)"));
  }
  std::string page = Call("--conn CommShowFormUser admin 1 true");
  EXPECT_NE(page.find("<td>admin</td><td>1</td><td>√</td>"), std::string::npos) << page;
  EXPECT_EQ(Call("CommShowFormUser admin 1 true").find("<td>admin</td>"), std::string::npos);
}

}  // namespace
