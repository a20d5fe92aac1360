// Tags remembered by name: what the cleaner's allow-list is asked with, so a
// remembered name must answer for itself only, never for another name that
// takes its place.
#include "common/tag_names.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every pair of names of one length, the second asked after the first was
// remembered: the reader's names ("del" then "xmp": an allowed tag, then one
// the cleaner drops) and names it does not know.
TEST(TagNames, ARememberedNameAnswersForItselfOnly) {
  std::vector<vb::String> names = {u"xyz", u"dek", u"blink", u"qq", u"custom-tag", u"spaceplace", u"b\u00e9"};
  for (int tag = 0; tag < GUMBO_TAG_UNKNOWN; ++tag)
    names.push_back(vb::FromUtf8(gumbo_normalized_tagname(static_cast<GumboTag>(tag))));
  for (const vb::String& first : names) {
    for (const vb::String& second : names) {
      if (first.size() != second.size()) continue;
      qe::TagNames tags;
      tags.Of(first);
      ASSERT_EQ(tags.Of(second), qe::TagOfName(second)) << vb::ToUtf8(first) << " then " << vb::ToUtf8(second);
      ASSERT_EQ(tags.Of(first), qe::TagOfName(first)) << vb::ToUtf8(second) << " then " << vb::ToUtf8(first);
    }
  }
  qe::TagNames tags;
  EXPECT_EQ(tags.Of(u"del"), GUMBO_TAG_DEL);
  EXPECT_EQ(tags.Of(u"xmp"), GUMBO_TAG_XMP);
  EXPECT_EQ(tags.Of(u"xyz"), GUMBO_TAG_UNKNOWN);
}

}  // namespace
