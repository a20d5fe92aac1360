// Record ids from query values: the number read, the 16-bit limits, and the
// error page that refuses a value (with the caller's buttons).
#include <gtest/gtest.h>

#include "common/kesra_error_page.h"
#include "common/kesra_id_checks.h"
#include "platform/vb/raises.h"
#include "support/test_objects.h"

namespace {

using test_objects::RecordingResponse;

struct Outcome {
  int16_t id;
  vb::String page;
  bool ended;
};

Outcome CheckId(const vb::String& text, bool close_parent = false, const vb::String& dialog = u"") {
  auto response = std::make_shared<RecordingResponse>();
  vb::Variant r(response);
  int16_t id = qe::KesraCheckIsID(r, text, close_parent, dialog);
  return {id, response->written, response->ended};
}

Outcome CheckRange(const vb::String& text, int16_t min, int16_t max, bool close_parent = false,
                   const vb::String& dialog = u"") {
  auto response = std::make_shared<RecordingResponse>();
  vb::Variant r(response);
  int16_t id = qe::KesraCheckIsRange(r, text, min, max, close_parent, dialog);
  return {id, response->written, response->ended};
}

// The error page as the error page module writes it for these arguments.
vb::String ErrorPage(const vb::String& message, bool close_parent, const vb::String& dialog) {
  auto response = std::make_shared<RecordingResponse>();
  vb::Variant r(response);
  qe::KesraShowErrorPageWithoutData(r, message, close_parent, dialog);
  return response->written;
}

TEST(KesraCheckIsID, ReadsTheLeadingNumberRoundedDown) {
  struct {
    const char16_t* text;
    int16_t id;
  } cases[] = {
      {u"12", 12},       {u"12.7", 12},      {u"-3.5", -4},    {u" 7 ", 7},        {u"+8", 8},
      {u"1,000", 1},     // the thousands separator ends the number read
      {u"1e3", 1000},    {u"&H10", 16},      {u"0", 0},        {u"32767", 32767},  {u"32767.9", 32767},
      {u"-32768", -32768},
  };
  for (const auto& c : cases) {
    Outcome o = CheckId(c.text);
    EXPECT_EQ(o.id, c.id) << vb::ToUtf8(c.text);
    EXPECT_TRUE(o.page.empty()) << vb::ToUtf8(c.text);
    EXPECT_FALSE(o.ended);
  }
}

TEST(KesraCheckIsID, OverflowsPastSixteenBits) {
  EXPECT_RAISES(vb::kOverflow, CheckId(u"32768"));
  EXPECT_RAISES(vb::kOverflow, CheckId(u"40000"));
  EXPECT_RAISES(vb::kOverflow, CheckId(u"-32768.5"));  // rounded down to -32769
  EXPECT_RAISES(vb::kOverflow, CheckId(u"-32769"));
}

TEST(KesraCheckIsID, RefusesWhatIsNotNumericWithTheCallersButtons) {
  struct {
    const char16_t* text;
    bool close_parent;
    const char16_t* dialog;
  } cases[] = {
      {u"abc", false, u""}, {u"", false, u""}, {u"  ", true, u""}, {u"12abc", false, u"dlg1"}, {u"1 2", true, u"d"},
  };
  for (const auto& c : cases) {
    Outcome o = CheckId(c.text, c.close_parent, c.dialog);
    EXPECT_EQ(o.id, 0);
    EXPECT_TRUE(o.ended);
    EXPECT_EQ(o.page, ErrorPage(u"无效ID。", c.close_parent, c.dialog)) << vb::ToUtf8(c.text);
  }
}

TEST(KesraCheckIsRange, RefusesOutsideTheBoundsAndReturnsTheIdAnyway) {
  Outcome over = CheckRange(u"11", 1, 10, true, u"dlg");
  EXPECT_EQ(over.id, 11);
  EXPECT_TRUE(over.ended);
  EXPECT_EQ(over.page, ErrorPage(u"范围无效。允许范围为1--10", true, u"dlg"));

  Outcome under = CheckRange(u"0.5", 1, 10);
  EXPECT_EQ(under.id, 0);
  EXPECT_EQ(under.page, ErrorPage(u"范围无效。允许范围为1--10", false, u""));

  Outcome negative = CheckRange(u"-6", -5, 5);
  EXPECT_EQ(negative.page, ErrorPage(u"范围无效。允许范围为-5--5", false, u""));
}

TEST(KesraCheckIsRange, BoundsAreInclusive) {
  for (const char16_t* text : {u"1", u"10", u"5.9"}) {
    Outcome o = CheckRange(text, 1, 10);
    EXPECT_FALSE(o.ended) << vb::ToUtf8(text);
    EXPECT_TRUE(o.page.empty());
  }
  EXPECT_EQ(CheckRange(u"10", 1, 10).id, 10);
  EXPECT_FALSE(CheckRange(u"32767", -32768, 32767).ended);
}

// A value that is no number gets the id check's own page with the default
// buttons, whatever buttons the range check was given.
TEST(KesraCheckIsRange, NonNumericValueGetsTheIdPage) {
  Outcome o = CheckRange(u"x", 1, 10, true, u"dlg");
  EXPECT_EQ(o.id, 0);
  EXPECT_EQ(o.page, ErrorPage(u"无效ID。", false, u""));
}

}  // namespace
