// The value-check and date members as pages call them: late-bound, with the
// page's own ASP objects, defaults filled in and results typed as declared.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/text/ansi.h"
#include "facade/qecls.h"

namespace {

vb::Variant NewQeCls() { return vb::Variant(std::make_shared<qe::QeCls>()); }

size_t Occurrences(const vb::String& text, vb::StringView part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != vb::String::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

vb::String Today() {
  char today[16];
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(today, sizeof today, "%Y%m%d", &local);
  return vb::FromUtf8(today);
}

struct PageRun {
  vb::Variant result;
  vb::String body;
  bool ended;
};

template <class... A>
PageRun CallWithResponse(const char16_t* member, A&&... args) {
  asp::Context context(asp::RequestSpec{});
  vb::Variant response = context.Response();
  vb::Variant result = com::Call(NewQeCls(), member, response, std::forward<A>(args)...);
  return {result, text::DecodeAnsi(context.ResponseBody()), asp::ResponseEnded(response)};
}

TEST(QeClsChecks, IdCheckReturnsAnIntegerOrEndsTheResponse) {
  PageRun ok = CallWithResponse(u"CommCheckIsID", u"12.7");
  EXPECT_EQ(ok.result, vb::Variant(static_cast<int16_t>(12)));
  EXPECT_FALSE(ok.ended);
  EXPECT_TRUE(ok.body.empty());

  PageRun refused = CallWithResponse(u"CommCheckIsID", u"abc");
  EXPECT_EQ(refused.result, vb::Variant(static_cast<int16_t>(0)));
  EXPECT_TRUE(refused.ended);
  EXPECT_EQ(Occurrences(refused.body, u"对不起，无效ID。"), 1u);
}

TEST(QeClsChecks, RangeCheckStopsAfterTheIdPage) {
  PageRun refused = CallWithResponse(u"CommCheckIsRange", u"x", static_cast<int16_t>(1), static_cast<int16_t>(10));
  EXPECT_TRUE(refused.ended);
  EXPECT_EQ(Occurrences(refused.body, u"对不起，"), 1u);
  EXPECT_EQ(Occurrences(refused.body, u"无效ID。"), 1u);

  PageRun outside = CallWithResponse(u"CommCheckIsRange", u"11", static_cast<int16_t>(1), static_cast<int16_t>(10),
                                     true, u"dlg7");
  EXPECT_EQ(outside.result, vb::Variant(static_cast<int16_t>(11)));
  EXPECT_EQ(Occurrences(outside.body, u"对不起，范围无效。允许范围为1--10</ul>"), 1u);
  EXPECT_NE(outside.body.find(u"getElementById('dlg7')"), vb::String::npos);
}

TEST(QeClsChecks, IdOverflowReachesThePageAsAFailedCall) {
  try {
    CallWithResponse(u"CommCheckIsID", u"40000");
    ADD_FAILURE() << "no error";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), vb::kOverflow);
  }
}

TEST(QeClsChecks, EditRequiresANumericId) {
  for (auto [url, expected] : {std::pair{u"/a.asp?ID=abc", false}, std::pair{u"/a.asp?ID=5", true},
                               std::pair{u"/a.asp", false}}) {
    asp::Context context(asp::RequestSpec{.url = url});
    vb::Variant request = context.Request();
    EXPECT_EQ(com::Call(NewQeCls(), u"CommCheckEdit", request), vb::Variant(expected)) << vb::ToUtf8(url);
  }
}

TEST(QeClsChecks, DefaultsAndResultTypes) {
  auto qe = NewQeCls();
  vb::String before = Today();
  vb::Variant stamp = com::Call(qe, u"CommGetDate");
  EXPECT_TRUE(stamp == vb::Variant(before) || stamp == vb::Variant(Today()));
  EXPECT_EQ(com::Call(qe, u"CommGetDate", u"2024-1-5"), vb::Variant(u"20240105"));
  EXPECT_EQ(com::Call(qe, u"CommGetFullUrl", u"a/b"), vb::Variant(u"http://a/b"));
  EXPECT_EQ(com::Call(qe, u"CommStringToNumeric", u"2.5"), vb::Variant(vb::Currency{25000}));
  EXPECT_EQ(com::Call(qe, u"CommCheckPostCard", u"11010519491231002x", u"4"),
            vb::Variant(u"身份证号码校验位错误！正确应为X"));
  EXPECT_EQ(com::Call(qe, u"CommCheckState", u"edit", vb::Variant::Null()), vb::Variant(static_cast<int16_t>(1)));
  vb::Variant pattern(u"^\\d+$");
  EXPECT_EQ(com::Call(qe, u"CommCheckReg", pattern, u"123"), vb::Variant(true));
  EXPECT_EQ(com::Call(qe, u"CommCheckIsEmpty", u"  "), vb::Variant(true));
}

}  // namespace
