// Shell requests on a server without a desktop, and class libraries.
#include <gtest/gtest.h>

#include "platform/com/registry.h"
#include "platform/fs/file.h"
#include "platform/sys/register_server.h"
#include "platform/sys/shell_execute.h"
#include "support/temp_site.h"

namespace {

class Marker : public com::Object {
 public:
  vb::String TypeName() const override { return u"Marker"; }
  vb::Variant Invoke(vb::StringView, com::CallType, com::ArgList&) override { return {}; }
};

TEST(ShellExecute, RecordsWhatItWouldOpen) {
  sys::ClearShellRecord();
  EXPECT_GT(sys::ShellExecute(u"OPEN", u"C:\\Windows\\System32\\update\\update.bat"), 32);
  sys::LogEvent(u"Qe", u"找不到文件!");
  ASSERT_EQ(sys::ShellOpenings().size(), 1u);
  EXPECT_EQ(sys::ShellOpenings()[0].verb, u"OPEN");
  EXPECT_EQ(sys::ShellOpenings()[0].file, u"C:\\Windows\\System32\\update\\update.bat");
  EXPECT_EQ(sys::LoggedEvents(), (std::vector<vb::String>{u"Qe: 找不到文件!"}));
  for (int i = 0; i < 150; ++i) sys::ShellExecute(u"OPEN", u"x");
  EXPECT_EQ(sys::ShellOpenings().size(), 100u);  // the record stays small
  sys::ClearShellRecord();
}

class RegisterServerTest : public testing::Test {
 protected:
  void SetUp() override { com::SetRegistryFile(site_.Host("registry")); }
  void TearDown() override {
    com::UnregisterClass(u"Qe.Test.Marker");
    com::SetRegistryFile({});
  }
  qe_test::TempSite site_;
};

TEST_F(RegisterServerTest, MakesTheLibrarysClassesCreatableByName) {
  site_.WriteFile("site/lib.dll", sys::ClassLibraryText({{u"Test.Zip", u"{11111111-2222-3333-4444-555555555555}"}}));
  EXPECT_THROW(com::CreateObject(u"Test.Zip"), vb::Error);
  ASSERT_TRUE(sys::RegisterServer(u"C:\\SITE\\LIB.DLL"));
  auto records = com::ReadRegistry();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].prog_id, u"Test.Zip");
  EXPECT_EQ(records[0].library, site_.Host("site/lib.dll").string());
  com::RegisterClass({u"Qe.Test.Marker", u"{11111111-2222-3333-4444-555555555555}",
                      [] { return std::make_shared<Marker>(); }});
  EXPECT_EQ(com::CreateObject(u"test.zip")->TypeName(), u"Marker");
}

TEST_F(RegisterServerTest, RegistersNothingFromOtherFiles) {
  site_.WriteFile("site/other.dll", "MZ\x90");
  EXPECT_FALSE(sys::RegisterServer(u"C:\\site\\other.dll"));
  EXPECT_FALSE(sys::RegisterServer(u"C:\\site\\missing.dll"));
  EXPECT_TRUE(com::ReadRegistry().empty());
}

}  // namespace
