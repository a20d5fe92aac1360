#include "platform/asp/context.h"

#include <gtest/gtest.h>

#include <thread>

namespace asp {
namespace {

TEST(CurrentContext, SetForTheLengthOfAScopeAndRestored) {
  EXPECT_EQ(CurrentContext(), nullptr);
  Context outer(RequestSpec{.url = u"/outer.asp"});
  {
    ContextScope outer_scope(outer);
    EXPECT_EQ(CurrentContext(), &outer);
    {
      Context inner(RequestSpec{.url = u"/inner.asp"});
      ContextScope inner_scope(inner);
      EXPECT_EQ(CurrentContext()->RequestObject().ServerVariables().Item(u"URL"), u"/inner.asp");
    }
    EXPECT_EQ(CurrentContext(), &outer);
    std::thread([] { EXPECT_EQ(CurrentContext(), nullptr); }).join();
  }
  EXPECT_EQ(CurrentContext(), nullptr);
}

TEST(ContextFinish, SendsTheRestOnceAndKeepsNothingBack) {
  Context ctx(RequestSpec{});
  com::Call(ctx.Response(), u"Write", u"one ");
  com::Call(ctx.Response(), u"Flush");
  com::Call(ctx.Response(), u"Write", u"two");
  EXPECT_EQ(ctx.Sent()->Body(), "one ");
  EXPECT_EQ(ctx.ResponseBody(), "one two");
  ctx.Finish();
  ctx.Finish();
  EXPECT_EQ(ctx.Sent()->Body(), "one two");
  EXPECT_EQ(ctx.ResponseObject().Buffered(), "");
  EXPECT_EQ(ctx.Sent()->Head()->status, u"200 OK");
}

TEST(ContextFinish, TheDestructorFinishesIntoTheHostsSink) {
  auto sink = std::make_shared<MemorySink>();
  {
    Connection c;
    c.sink = sink;
    c.request.target = "/qe/a.asp?x=%41";
    Context ctx(std::move(c));
    EXPECT_EQ(ctx.Sent(), nullptr);
    EXPECT_EQ(vb::CStr(com::Call(ctx.Request(), u"QueryString", u"x")), u"A");
    com::Call(ctx.Response(), u"Write", u"body");
  }
  ASSERT_TRUE(sink->Head());
  EXPECT_EQ(sink->Body(), "body");
}

}  // namespace
}  // namespace asp
