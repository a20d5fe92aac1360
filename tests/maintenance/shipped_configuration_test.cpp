// The structure configuration every site carries, made from the schema: it
// rebuilds what the schema makes, and follows the schema when it changes.
#include "maintenance/shipped_configuration.h"

#include <gtest/gtest.h>

#include "access_site.h"
#include "platform/ado/database_properties.h"
#include "platform/fs/paths.h"
#include "shell/qe_main_database.h"

namespace access_test {
namespace {

constexpr char16_t kShipped[] = u"C:\\site\\Comm\\Data_Mdb.mdb";

class ShippedConfigurationTest : public AccessSiteTest {
 protected:
  static String Stamp() { return ado::DatabaseProperty(fs::ToHostPath(kShipped), u"QeShippedSchema"); }
};

TEST_F(ShippedConfigurationTest, RebuildsTheDatabaseTheSchemaMakes) {
  std::filesystem::remove_all(site_.Host("site/Comm"));
  EXPECT_TRUE(qe::ProvideShippedConfiguration(kShipped));
  EXPECT_EQ(Stamp(), qe::ShippedConfigurationStamp());
  ASSERT_TRUE(qe::CreateMainDatabaseFromSchema(u"C:\\site\\schema.mdb"));
  // As the repair uses it: the default configuration, into the data folder.
  ASSERT_TRUE(Rebuild(u"", u"", u"mdb"));
  EXPECT_EQ(Structure(u"C:\\site\\data\\qe.asp"), Structure(u"C:\\site\\schema.mdb"));
  EXPECT_NE(Structure(u"C:\\site\\data\\qe.asp").find(u"table User\n"), String::npos);
  EXPECT_FALSE(qe::ProvideShippedConfiguration(kShipped));
}

TEST_F(ShippedConfigurationTest, AnOlderOneIsReplacedAndACaptureForThisSchemaIsKept) {
  ASSERT_TRUE(qe::ProvideShippedConfiguration(kShipped));
  // A capture of another structure into it stays while the schema does.
  MakeDatabase(u"C:\\site\\data\\qe.asp", {u"Create Table [Extra] ([x] Long)"});
  ASSERT_TRUE(Capture(u"", u"", u"mdb"));
  EXPECT_FALSE(qe::ProvideShippedConfiguration(kShipped));
  Variant reader = Open(Jet(kShipped));
  EXPECT_EQ(vb::CStr(Scalar(reader, u"Select TableName From TableList")), u"Extra");
  // Made for another schema: made again, in place, under an open connection.
  ado::SetDatabaseProperty(fs::ToHostPath(kShipped), u"QeShippedSchema", u"an older schema");
  EXPECT_TRUE(qe::ProvideShippedConfiguration(kShipped));
  EXPECT_EQ(Stamp(), qe::ShippedConfigurationStamp());
  EXPECT_EQ(vb::CLng(Scalar(reader, u"Select Count(*) From TableList Where TableName='User'")), 1);
  EXPECT_EQ(vb::CLng(Scalar(reader, u"Select Count(*) From TableList Where TableName='Extra'")), 0);
  // A file of that name that is no database at all is made again too.
  reader = Variant();
  site_.WriteFile("site/Comm/Data_Mdb.mdb", "not a database");
  EXPECT_TRUE(qe::ProvideShippedConfiguration(kShipped));
  EXPECT_EQ(Stamp(), qe::ShippedConfigurationStamp());
}

}  // namespace
}  // namespace access_test
