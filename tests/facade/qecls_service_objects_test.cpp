// The façade's service objects: made with the façade, and the façade not
// made without them.
#include <gtest/gtest.h>

#include "platform/com/registry.h"
#include "platform/vb/raises.h"
#include "facade/component_classes.h"
#include "facade/qecls.h"
#include "support/temp_site.h"

namespace {

int32_t CreationError(vb::StringView prog_id) {
  return vb_test::ErrorOf([&] { com::CreateObject(prog_id); });
}

TEST(QeClsServiceObjects, WithoutAdoxNoFacadeIsMade) {
  qe_test::TempSite site;
  qe::RegisterComponentClasses();
  com::CreateObject(u"QE.QeCls");  // every class is registered by now
  std::optional<com::ClassEntry> catalog = com::FindClass(u"ADOX.Catalog");
  ASSERT_TRUE(catalog);
  ASSERT_TRUE(com::UnregisterClass(u"ADOX.Catalog"));
  int64_t live = com::LiveObjects();
  EXPECT_EQ(CreationError(u"QE.QeCls"), vb::kCannotCreateObject);
  EXPECT_EQ(com::LiveObjects(), live);  // nothing half made is left alive
  com::RegisterClass(*catalog);
  EXPECT_EQ(CreationError(u"QE.QeCls"), 0);
}

TEST(QeClsServiceObjects, EachFacadeHasItsOwnAndReleasesThem) {
  qe_test::TempSite site;
  qe::RegisterComponentClasses();
  int64_t live = com::LiveObjects();
  vb::Variant first(com::CreateObject(u"QE.QeCls"));
  vb::Variant second(com::CreateObject(u"QE.QeCls"));
  // A façade and its three service objects each.
  EXPECT_EQ(com::LiveObjects(), live + 8);
  first = vb::Variant();
  EXPECT_EQ(com::LiveObjects(), live + 4);
  EXPECT_EQ(vb::CStr(com::Call(second, u"CommMd5", vb::String(u""))), u"D41D8CD98F00B204E9800998ECF8427E");
  second = vb::Variant();
  EXPECT_EQ(com::LiveObjects(), live);
}

}  // namespace
