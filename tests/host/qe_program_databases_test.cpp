// The site's databases from a shell: the configuration database made on
// first use, and a new main database seeded.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "qe_command.h"
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

}  // namespace
