// The mode tests of list and edit pages, on requests built in memory.
#include <gtest/gtest.h>

#include "common/kesra_request_modes.h"
#include "platform/asp/context.h"

namespace {

asp::Context RequestFor(vb::String url, asp::NameValueList form = {}) {
  return asp::Context(asp::RequestSpec{.url = std::move(url), .form = std::move(form)});
}

TEST(KesraCheckEdit, AnIdMustBeGivenAndNumericWhenRequired) {
  struct {
    const char16_t* url;
    bool must_number, expected;
  } cases[] = {
      {u"/a.asp", true, false},          {u"/a.asp", false, false},        {u"/a.asp?ID=", false, false},
      {u"/a.asp?ID=12", true, true},     {u"/a.asp?id=12", true, true},    // names ignore case
      {u"/a.asp?ID=abc", true, false},   {u"/a.asp?ID=abc", false, true},  {u"/a.asp?ID=+1.5", true, true},
      {u"/a.asp?ID=%20", true, false},   // a blank is given but not numeric
      {u"/a.asp?ID=%20", false, true},
  };
  for (const auto& c : cases) {
    asp::Context context = RequestFor(c.url);
    vb::Variant request = context.Request();
    EXPECT_EQ(qe::KesraCheckEdit(request, c.must_number), c.expected) << vb::ToUtf8(c.url) << " " << c.must_number;
  }
}

TEST(KesraCheckEdit, AnIdPostedInTheFormCounts) {
  asp::Context context = RequestFor(u"/a.asp", {{u"ID", u"7"}});
  vb::Variant request = context.Request();
  EXPECT_TRUE(qe::KesraCheckEdit(request, true));
}

TEST(KesraCheckRead, NoActionMeansReading) {
  struct {
    const char16_t* url;
    bool expected;
  } cases[] = {
      {u"/a.asp", true}, {u"/a.asp?action=", true}, {u"/a.asp?action=add", false}, {u"/a.asp?Action=0", false},
      {u"/a.asp?action=%20", false},  // a blank action is not empty
  };
  for (const auto& c : cases) {
    asp::Context context = RequestFor(c.url);
    vb::Variant request = context.Request();
    EXPECT_EQ(qe::KesraCheckRead(request), c.expected) << vb::ToUtf8(c.url);
  }
}

TEST(KesraCheckState, NewEditOrRead) {
  struct {
    const char16_t* mode;
    vb::Variant id;
    int16_t expected;
  } cases[] = {
      {u"Edit ", vb::Variant(u"5"), 2},
      {u" MODIFY", vb::Variant(static_cast<int16_t>(5)), 2},
      {u"view", vb::Variant(u"5"), 3},
      {u"", vb::Variant(u"5"), 3},
      {u"editing", vb::Variant(u"5"), 3},
      {u"edit", vb::Variant(u"  "), 1},
      {u"edit", vb::Variant(u""), 1},
      {u"edit", vb::Variant(), 1},
      {u"edit", vb::Variant::Null(), 1},
      {u"edit", vb::Variant(static_cast<int16_t>(0)), 2},  // 0 is an id like any other
  };
  for (const auto& c : cases) EXPECT_EQ(qe::KesraCheckState(c.mode, c.id), c.expected) << vb::ToUtf8(c.mode);
}

}  // namespace
