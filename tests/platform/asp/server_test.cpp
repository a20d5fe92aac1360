#include "platform/asp/server.h"

#include <gtest/gtest.h>

#include "platform/asp/asp_test_support.h"

#include "platform/asp/context.h"
#include "platform/asp/request_collection.h"
#include "platform/com/registry.h"

namespace asp {
namespace {

using testing::ErrorNumberOf;
using testing::Text;

TEST(ServerMapPath, PassesTheSiteRootAndTheCurrentPage) {
  std::vector<String> seen;
  RequestSpec request_spec{.url = u"/qe/main/list.asp?x=1", .site_root = u"D:\\web\\school"};
  request_spec.map_path = [&](StringView root, StringView page, StringView path) {
    seen = {String(root), String(page), String(path)};
    return String(u"mapped");
  };
  Context ctx(std::move(request_spec));
  EXPECT_EQ(com::Call(ctx.Server(), u"MapPath", u"..\\Data"), Variant(u"mapped"));
  EXPECT_EQ(seen, (std::vector<String>{u"D:\\web\\school", u"/qe/main/list.asp", u"..\\Data"}));

  RequestSpec with_page{.url = u"/qe/", .page = u"/qe/index.asp"};
  with_page.map_path = [&](StringView, StringView page, StringView) { return String(page); };
  Context default_document(std::move(with_page));
  EXPECT_EQ(com::Call(default_document.Server(), u"mappath", u"/data"), Variant(u"/qe/index.asp"));
}

TEST(ServerEncoding, UrlAndHtml) {
  Context ctx(RequestSpec{});
  EXPECT_EQ(com::Call(ctx.Server(), u"URLEncode", u"a b/c.asp"), Variant(u"a+b%2Fc%2Easp"));
  EXPECT_EQ(com::Call(ctx.Server(), u"HTMLEncode", u"<b>\"&\"</b>"),
            Variant(u"&lt;b&gt;&quot;&amp;&quot;&lt;/b&gt;"));
  EXPECT_EQ(com::Call(ctx.Server(), u"URLEncode", Variant::Null()), Variant(u""));
}

TEST(ServerObjects, CreateObjectAndGetLastError) {
  com::RegisterClass({u"Qe.AspServerProbe", u"", [] { return std::make_shared<RequestCollection>(u"probe"); }});
  Context ctx(RequestSpec{});
  Variant made = com::Call(ctx.Server(), u"CreateObject", u"qe.aspserverprobe");
  EXPECT_EQ(com::ValueOf(made), Variant(u"probe"));
  com::UnregisterClass(u"Qe.AspServerProbe");
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(ctx.Server(), u"CreateObject", u"Qe.AspServerProbe"); }),
            vb::kCannotCreateObject);
  EXPECT_TRUE(com::Call(ctx.Server(), u"GetLastError").IsNothing());
}

TEST(ServerScriptTimeout, DefaultsAndRefusesNonPositive) {
  Context ctx(RequestSpec{});
  EXPECT_EQ(com::Call(ctx.Server(), u"ScriptTimeout"), Variant(int32_t{90}));
  com::Let(ctx.Server(), u"ScriptTimeout", 600);
  EXPECT_EQ(com::Call(ctx.Server(), u"ScriptTimeout"), Variant(int32_t{600}));
  EXPECT_EQ(ErrorNumberOf([&] { com::Let(ctx.Server(), u"ScriptTimeout", 0); }), vb::kInvalidProcedureCall);
  EXPECT_EQ(ErrorNumberOf([&] { com::Call(ctx.Server(), u"Transfer", u"/x.asp"); }), vb::kMemberNotSupported);
}

}  // namespace
}  // namespace asp
