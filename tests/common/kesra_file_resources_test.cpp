// Installing the carried zip library into the system folder.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "common/kesra_file_resources.h"
#include "platform/com/registry.h"
#include "platform/fs/file.h"
#include "platform/vb/raises.h"
#include "facade/qecls.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;
using namespace qe;

class ZipStandIn : public com::Object {
 public:
  vb::String TypeName() const override { return u"XceedZip"; }
  vb::Variant Invoke(vb::StringView, com::CallType, com::ArgList&) override { return {}; }
};

class KesraResourceTest : public testing::Test {
 protected:
  void SetUp() override { com::SetRegistryFile(site_.Host("registry")); }
  void TearDown() override {
    com::UnregisterClass(u"Qe.Test.ZipStandIn");
    com::SetRegistryFile({});
  }
  stdfs::path Library() const { return site_.Host("Windows/System32/XceedZip.dll"); }

  qe_test::TempSite site_;
};

TEST_F(KesraResourceTest, InstallsAndRegistersTheZipLibrary) {
  KesraInstallResourceDll(u"XceedZip.dll");
  ASSERT_TRUE(stdfs::exists(Library()));
  EXPECT_EQ(fs::ReadAllBytes(u"C:\\Windows\\System32\\XceedZip.dll"), LoadResData(vb::Variant(u"xceedzip.dll"), u"CUSTOM"));
  auto records = com::ReadRegistry();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].prog_id, kZipProgId);
  EXPECT_EQ(records[0].library, Library().string());
  // The zip class of the component answers to the registered name.
  com::RegisterClass({u"Qe.Test.ZipStandIn", kZipClassId, [] { return std::make_shared<ZipStandIn>(); }});
  EXPECT_EQ(com::CreateObject(kZipProgId)->TypeName(), u"XceedZip");
}

TEST_F(KesraResourceTest, LeavesAnInstalledLibraryAlone) {
  site_.WriteFile("Windows/System32/xceedzip.dll", "an older library");
  KesraInstallResourceDll(u"XceedZip.dll");
  EXPECT_EQ(fs::ReadAllBytes(u"C:\\Windows\\System32\\XceedZip.dll"), "an older library");
  EXPECT_TRUE(com::ReadRegistry().empty());  // no registration either
  KesraInstallResourceDll(u"");
  EXPECT_TRUE(com::ReadRegistry().empty());
}

TEST_F(KesraResourceTest, IsDoneByEveryNewFacadeOnceForAll) {
  std::vector<std::thread> requests;
  for (int i = 0; i < 8; ++i) requests.emplace_back([] { QeCls facade; });
  for (auto& r : requests) r.join();
  EXPECT_EQ(fs::ReadAllBytes(u"C:\\Windows\\System32\\XceedZip.dll"), LoadResData(vb::Variant(u"XceedZip.dll"), u"CUSTOM"));
  EXPECT_EQ(com::ReadRegistry().size(), 1u);
  size_t entries = 0;
  for (const auto& entry : stdfs::directory_iterator(site_.Host("Windows/System32"))) entries += entry.exists();
  EXPECT_EQ(entries, 1u);  // nothing half written left behind
}

TEST_F(KesraResourceTest, WritesAResourceOnlyWhereAllowed) {
  site_.WriteFile("site/lib.dll", "old");
  EXPECT_FALSE(KesraWriteResourceFile(u"C:\\site\\lib.dll", u"XceedZip.dll", u"CUSTOM", false));
  EXPECT_EQ(fs::ReadAllBytes(u"C:\\site\\lib.dll"), "old");
  EXPECT_TRUE(KesraWriteResourceFile(u"C:\\site\\lib.dll", u"XceedZip.dll", u"CUSTOM", true));
  EXPECT_NE(fs::ReadAllBytes(u"C:\\site\\lib.dll"), "old");
  EXPECT_RAISES(326, KesraWriteResourceFile(u"C:\\site\\x.dll", u"Other.dll", u"CUSTOM", false));
  EXPECT_RAISES(326, KesraWriteResourceFile(u"C:\\site\\x.dll", u"XceedZip.dll", u"BITMAP", false));
  EXPECT_RAISES(vb::kPathNotFound, KesraWriteResourceFile(u"C:\\site\\no\\x.dll", u"XceedZip.dll", u"CUSTOM", false));
}

TEST(KesraInstallResourceDll, IsQuietWithoutADrive) {
  fs::UnmapDrive(u'C');
  KesraInstallResourceDll(u"XceedZip.dll");
  QeCls facade;  // and a façade is still made
  SUCCEED();
}

}  // namespace
