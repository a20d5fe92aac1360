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
