// Display widths and cuts of mixed Chinese and Latin text: a double-byte
// character of code page 936 takes two columns; NUL counts one in the title
// tools and two in the measures; "€" is a single byte.
#include <gtest/gtest.h>

#include "../platform/vb/raises.h"
#include "common/kesra_string_width.h"
#include "facade/qecls.h"
#include "support/printable.h"

namespace {

using qe_test::Printable;

const vb::String kNul(1, u'\0');

vb::String Repeat(vb::StringView piece, size_t times) {
  vb::String out;
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

struct CutCase {
  vb::String text;
  int16_t limit;
  vb::String expected;
};

TEST(KesraGetTopicStr, CutsAtTheLimitWithAnEllipsisAlsoOnAnExactFit) {
  const CutCase cases[] = {
      {u"abc", 3, u"abc…"},
      {u"abc", 2, u"ab…"},
      {u"abc", 4, u"abc"},
      {u"abc", 0, u"a…"},
      {u"abc", -7, u"a…"},
      {u"", 5, u""},
      {u"中文abc", 3, u"中文…"},
      {u"中文", 4, u"中文…"},
      {u"中文", 5, u"中文"},
      {u"€€€", 2, u"€€…"},
      {kNul + u"ab", 2, kNul + u"a…"},
      // Entities are read as one character each and written again; every blank
      // comes back as "&nbsp;".
      {u"a b", 10, u"a&nbsp;b"},
      {u"a&nbsp;b", 10, u"a&nbsp;b"},
      {u"&lt;b&gt;x", 3, u"&lt;b&gt;…"},
      {u"say \"hi\"", 20, u"say&nbsp;&quot;hi&quot;"},
      {u"&amp;", 20, u"&amp;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Printable(c.text) + " " + std::to_string(c.limit));
    EXPECT_EQ(qe::KesraGetTopicStr(c.text, c.limit), c.expected);
  }
}

TEST(KesraGetTopicStr, OverflowsPastSixteenBits) {
  // 16,383 Chinese characters and a letter reach 32,767 exactly; one more
  // Chinese character would make 32,768.
  const vb::String fits = Repeat(u"中", 16383) + u"a";
  EXPECT_EQ(qe::KesraGetTopicStr(fits, 32767), fits + u"…");
  EXPECT_RAISES(vb::kOverflow, qe::KesraGetTopicStr(Repeat(u"中", 16384), 32767));
  EXPECT_EQ(qe::KesraGetTopicStr(vb::String(32767, u'a'), 100).size(), 101u);
  EXPECT_RAISES(vb::kOverflow, qe::KesraGetTopicStr(vb::String(32768, u'a'), 100));
}

struct WindowCase {
  vb::String text;
  int16_t start, length;
  vb::String expected;
};

TEST(KesraGetString, TakesTheCharactersOnTheColumnWindow) {
  const WindowCase cases[] = {
      {u"中文abc", 2, 3, u"文"},       // 中 covers the start column: left out
      {u"中文abc", 1, 3, u"中文"},     // 文 starts in the last column: taken whole
      {u"中文abc", 5, 10, u"abc"},     // past the end: nothing more
      {u"中文abc", 0, 2, u"中"},
      {u"中文abc", 3, 0, u""},
      {u"   ", 1, 5, u""},             // blank after trimming
      {u" ab", 1, 2, u" a"},           // otherwise not trimmed
      {u"a&nbsp;b&lt;", 1, 4, u"a b<"},  // entities read, not written again
      {kNul + u"中", 2, 2, u"中"},      // NUL is one column here
      {u"€中", 2, 1, u"中"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Printable(c.text) + " " + std::to_string(c.start) + " " + std::to_string(c.length));
    EXPECT_EQ(qe::KesraGetString(c.text, c.start, c.length), c.expected);
  }
}

TEST(KesraGetString, ColumnsOverflowPastSixteenBits) {
  EXPECT_EQ(qe::KesraGetString(u"a", 32766, 1), u"");
  EXPECT_RAISES(vb::kOverflow, qe::KesraGetString(u"a", 32767, 1));  // start + length
  EXPECT_RAISES(vb::kOverflow, qe::KesraGetString(u"a", 1, 32767));  // the column passes the end
  // A double-byte character on columns 32,766-32,767 moves the column to 32,768.
  EXPECT_RAISES(vb::kOverflow, qe::KesraGetString(vb::String(32765, u'a') + u"中", 32767, 0));
  EXPECT_EQ(qe::KesraGetString(vb::String(32766, u'a') + u"中", 32767, 0), u"");
}

TEST(KesraGetString, TheFacadeConvertsThePagesValues) {
  qe::QeCls facade;
  vb::Variant text(u"中文abc"), start(u"2"), length(3.0);
  EXPECT_EQ(facade.CommGetString(text, start, length), u"文");
  vb::Variant word(u"x"), huge(int32_t{40000});
  EXPECT_RAISES(vb::kTypeMismatch, facade.CommGetString(text, word, length));
  EXPECT_RAISES(vb::kOverflow, facade.CommGetString(text, start, huge));
}

struct MeasureCase {
  vb::String text;
  int16_t bytes, width2, width3;
};

TEST(KesraGetStringLength, CountsBytesAndWidths) {
  const MeasureCase cases[] = {
      {u"中国", 4, 4, 6},
      {u"中a", 3, 3, 4},
      {u" 中a ", 5, 3, 4},  // the widths trim, the byte count does not
      {u"", 0, 0, 0},
      {kNul, 1, 2, 3},       // NUL: one byte, but a wide character to the measures
      {u"€", 1, 1, 1},
      {u"ä", 1, 1, 1},       // not in the code page: "?"
      {u"，", 2, 2, 3},      // full-width comma
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Printable(c.text));
    EXPECT_EQ(qe::KesraGetStringLength(c.text), c.bytes);
    EXPECT_EQ(qe::KesraGetStringLength2(c.text), c.width2);
    EXPECT_EQ(qe::KesraGetStringLength3(c.text), c.width3);
  }
}

TEST(KesraGetStringLength, StaysInSixteenBitsWithoutRaising) {
  EXPECT_EQ(qe::KesraGetStringLength(vb::String(32767, u'a')), 32767);
  EXPECT_EQ(qe::KesraGetStringLength(Repeat(u"中", 16384)), 32767);  // 32,768 bytes
  EXPECT_EQ(qe::KesraGetStringLength(vb::String(32768, u'a')), 0);
}

TEST(KesraGetStringLength, WidthsOverflowPastSixteenBits) {
  EXPECT_EQ(qe::KesraGetStringLength2(Repeat(u"中", 16383) + u"a"), 32767);
  EXPECT_RAISES(vb::kOverflow, qe::KesraGetStringLength2(Repeat(u"中", 16384)));
  EXPECT_EQ(qe::KesraGetStringLength3(Repeat(u"中", 10922) + u"a"), 32767);
  EXPECT_RAISES(vb::kOverflow, qe::KesraGetStringLength3(Repeat(u"中", 10922) + u"ab"));
}

TEST(KesraGetStringLeft, TakesUntilTheWidthIsReached) {
  const CutCase cases[] = {
      {u"a中文", 2, u"a中"},
      {u"a中文", 1, u"a"},
      {u"a中文", 5, u"a中文"},
      {u"abc", 0, u"a"},
      {u"abc", -3, u"a"},
      {u"", 5, u""},
      {kNul + u"ab", 2, kNul},  // NUL takes two columns here
      {u"€ab", 2, u"€a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Printable(c.text) + " " + std::to_string(c.limit));
    EXPECT_EQ(qe::KesraGetStringLeft(c.text, c.limit), c.expected);
  }
}

TEST(KesraGetStringRight, TakesFromTheRightUntilTheWidthIsReached) {
  const CutCase cases[] = {
      {u"中文b", 2, u"文b"},
      {u"中文b", 1, u"b"},
      {u"中文b", 9, u"中文b"},
      {u"abc", 0, u"c"},
      {u"", 5, u""},
      {u"ab" + kNul, 2, kNul},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Printable(c.text) + " " + std::to_string(c.limit));
    EXPECT_EQ(qe::KesraGetStringRight(c.text, c.limit), c.expected);
  }
}

TEST(KesraGetStringLeft, LongTextsOverflow) {
  EXPECT_EQ(qe::KesraGetStringLeft(vb::String(32767, u'a'), 2), u"aa");
  EXPECT_RAISES(vb::kOverflow, qe::KesraGetStringLeft(vb::String(32768, u'a'), 2));
  EXPECT_RAISES(vb::kOverflow, qe::KesraGetStringRight(vb::String(32768, u'a'), 2));
  EXPECT_RAISES(vb::kOverflow, qe::KesraGetStringLeft(Repeat(u"中", 16384), 32767));
}

}  // namespace
