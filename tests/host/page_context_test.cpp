// The page that `qe call` plays is the request being served while it lasts,
// so classes that read the current request see its body.
#include "host/page_context.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "facade/qecls.h"
#include "support/temp_site.h"
#include "transfer/upload_test_support.h"

namespace {

using vb::Variant;

TEST(PageContext, IsTheCurrentRequestWhileItLasts) {
  qe::RegisterComponentClasses();
  qe_test::TempSite site;
  upload_test::MultipartBody body;
  body.Field("title", "Sports day").File("pic", "a.gif", "GIF89a", "image/gif");
  const auto body_file = site.Drive() / "body.bin";
  std::ofstream(body_file, std::ios::binary) << body.Bytes();

  host::PageOptions options;
  options.site = site.SiteFolder().string();
  options.body_file = body_file.string();
  options.headers = {{"Content-Type", body.ContentType()}};
  {
    host::PageContext page(options);
    ASSERT_NE(asp::CurrentContext(), nullptr);
    EXPECT_EQ(asp::CurrentContext()->Request().GetObject(), page.Intrinsic(u"request")->GetObject());

    Variant upload = com::CreateObject(u"QE.Kesra_UploadImage");
    EXPECT_EQ(com::Call(upload, u"isExists", u"title"), Variant(true));
    Variant pic = com::Call(upload, u"binrequest", u"pic", 0);
    EXPECT_EQ(com::Call(pic, u"ShortFilename"), Variant(u"a.gif"));
  }
  EXPECT_EQ(asp::CurrentContext(), nullptr);
}

}  // namespace
