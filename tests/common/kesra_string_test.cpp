// The small text tools: regular-expression replace, the Chinese test, list
// fields, delimited extraction and the query separator.
#include <gtest/gtest.h>

#include "../platform/vb/raises.h"
#include "common/kesra_string.h"
#include "facade/qecls.h"
#include "support/case_table.h"

namespace {

using qe_test::Printable;

TEST(KesraReplaceExp, ReplacesEveryMatchIgnoringCase) {
  EXPECT_EQ(qe::KesraReplaceExp(u"Hello WORLD", u"(o)", u"[$1]"), u"Hell[o] W[O]RLD");
  EXPECT_EQ(qe::KesraReplaceExp(u"星期一 2024", u"星期.", u""), u" 2024");
  EXPECT_EQ(qe::KesraReplaceExp(u"a-b", u"x", u"y"), u"a-b");
  EXPECT_NE(vb_test::ErrorOf([] { qe::KesraReplaceExp(u"a", u"(", u""); }), 0);
}

TEST(KesraHasChinese, FindsChineseCharactersOrAGb2312PairOfBytes) {
  qe_test::ExpectEach<bool>(qe::KesraHasChinese, {
      {u"abc", false},
      {u"", false},
      {u"a中b", true},
      {u"一", true},            // U+4E00
      {u"龥", true},            // U+9FA5
      {u"\u9FA6", false},       // past the range
      {u"、，", false},         // full-width signs are no Chinese characters
      {u"Ãé", true},            // C3 E9: a GB2312 code carried as two characters
      {u"°¡", true},            // B0 A1, the first code
      {u"°\u00A0", false},      // A0 is no trail byte
      {u"é", false},
  });
  qe::QeCls facade;
  EXPECT_EQ(facade.CommHasChinese(u"中"), u"True");
  EXPECT_EQ(facade.CommHasChinese(u"z"), u"False");
}

TEST(KesraReplaceAt, ReplacesOneFieldOfTheList) {
  struct Case {
    vb::String list;
    int16_t at;
    vb::String with, delimiter, expected;
  };
  const Case cases[] = {
      {u"a|b|c", 1, u"x", u"|", u"a|x|c"},
      {u"a|b|c", 0, u"x", u"|", u"x|b|c"},
      {u"a|b|c", 4, u"x", u"|", u"a|b|c||x"},
      {u"a|b|c", -1, u"x", u"|", u"a|b|c"},
      {u"", 0, u"x", u"|", u"x"},
      {u"", 2, u"x", u"|", u"||x"},
      {u"", -1, u"x", u"|", u""},
      {u"a, b", 1, u"z", u", ", u"a, z"},
      {u"a|b", 0, u"z", u"", u"z"},  // no delimiter: one field
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Printable(c.list) + " " + std::to_string(c.at));
    EXPECT_EQ(qe::KesraReplaceAt(c.list, c.at, c.with, c.delimiter), c.expected);
  }
  // The façade's delimiter is "|" when the page leaves it out.
  EXPECT_EQ(com::Call(vb::Variant(std::make_shared<qe::QeCls>()), u"CommReplaceAt", u"a|b", int16_t{1}, u"c"),
            vb::Variant(u"a|c"));
}

TEST(KesraReplaceAt, FieldPositionsOverflowPastSixteenBits) {
  EXPECT_EQ(qe::KesraReplaceAt(u"", 32767, u"x", u"|").size(), 32768u);
  vb::String many(32768, u'|');  // 32,769 fields
  EXPECT_RAISES(vb::kOverflow, qe::KesraReplaceAt(many, 0, u"x", u"|"));
}

TEST(KesraStrExtract, TakesTheTextBetweenTheDelimiters) {
  struct Case {
    vb::String text, begin, end;
    int16_t from, flag;
    vb::String expected;
  };
  const Case cases[] = {
      {u"a[b]c", u"[", u"]", 1, 0, u"b"},
      {u"a[b]c", u"[", u"]", 1, 4, u"[b"},
      {u"a[b]c", u"[", u")", 1, 0, u""},     // no end delimiter found
      {u"a[b]c", u"[", u")", 1, 2, u"b]c"},  // none wanted: to the end
      {u"a[b]c", u"[", u"]", 1, 6, u"[b]c"},
      {u"a[b]c", u"[", u"]", 3, 0, u""},     // the search starts after "["
      {u"a[b]c", u"[", u"]", -4, 0, u"b"},   // from the first character
      {u"a[b]c", u"[", u"", 1, 0, u"b]c"},   // an empty end delimiter: to the end
      {u"a[]c", u"[", u"]", 1, 0, u""},
      {u"abc]d", u"", u"]", 5, 0, u"abc"},   // no begin delimiter: from the start
      {u"]bc", u"", u"]", 1, 0, u""},        // the end delimiter at the start
      {u"x<TAG>v</tag>", u"<tag>", u"</tag>", 1, 1, u"v"},
      {u"x<TAG>v</tag>", u"<tag>", u"</tag>", 1, 0, u""},
      {u"x<TAG>v</tag>", u"<tag>", u"</tag>", 1, -1, u""},  // a negative flag sets no option
      {u"x<TAG>v</tag>", u"<tag>", u"</tag>", 1, 5, u"<TAG>v"},
      {u"k=1;k=2;", u"k=", u";", 5, 0, u"2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Printable(c.text) + " " + Printable(c.begin) + " " + Printable(c.end) + " " +
                 std::to_string(c.from) + " " + std::to_string(c.flag));
    EXPECT_EQ(qe::KesraStrExtract(c.text, c.begin, c.end, c.from, c.flag), c.expected);
  }
}

TEST(KesraStrExtract, PositionsOverflowPastSixteenBits) {
  EXPECT_EQ(qe::KesraStrExtract(vb::String(32764, u'a') + u"[b]", u"[", u"]", 1, 0), u"b");  // "]" at 32,767
  EXPECT_RAISES(vb::kOverflow, qe::KesraStrExtract(vb::String(32765, u'a') + u"[b]", u"[", u"]", 1, 0));
  EXPECT_RAISES(vb::kOverflow, qe::KesraStrExtract(vb::String(32767, u'a') + u"[b]", u"[", u"]", 1, 0));
}

TEST(KesraJoinChar, AddsTheSeparatorTheAddressNeeds) {
  qe_test::ExpectEach<vb::String>(qe::KesraJoinChar, {
      {u"", u""},
      {u"a/b.asp", u"a/b.asp?"},
      {u"a/b.asp?", u"a/b.asp?"},
      {u"a/b.asp?x=1", u"a/b.asp?x=1&"},
      {u"a/b.asp?x=1&", u"a/b.asp?x=1&"},
      {u"a/b.asp?x=1&y=2&", u"a/b.asp?x=1&y=2&&"},  // only the first "&" is looked at
      {u"?x=1", u"?x=1?"},
      {u"?", u"?"},
  });
}

}  // namespace
