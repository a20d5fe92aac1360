#include "platform/vb/strings.h"

#include <gtest/gtest.h>

#include "platform/vb/convert.h"
#include "raises.h"

namespace vb {
namespace {

TEST(Strings, TrimRemovesBlanksOnly) {
  EXPECT_EQ(Trim(u"  a b  "), u"a b");
  EXPECT_EQ(Trim(u"\ta\t"), u"\ta\t");
  EXPECT_EQ(Trim(u"\u3000a"), u"\u3000a");
  EXPECT_EQ(LTrim(u"  a "), u"a ");
  EXPECT_EQ(RTrim(u" a  "), u" a");
  EXPECT_EQ(Trim(u"   "), u"");
}

TEST(Strings, LeftRightMid) {
  struct Case {
    String got, want;
  } cases[] = {
      {Left(u"abc", 0), u""},     {Left(u"abc", 2), u"ab"},     {Left(u"abc", 9), u"abc"},
      {Right(u"abc", 0), u""},    {Right(u"abc", 2), u"bc"},    {Right(u"abc", 9), u"abc"},
      {Mid(u"abcde", 2), u"bcde"}, {Mid(u"abcde", 5), u"e"},    {Mid(u"abcde", 6), u""},
      {Mid(u"abcde", 99), u""},   {Mid(u"abcde", 2, 2), u"bc"}, {Mid(u"abcde", 4, 9), u"de"},
      {Mid(u"abcde", 2, 0), u""}, {Mid(u"abcde", 6, 1), u""},   {Mid(u"", 1, 1), u""},
      {Mid(u"中文字", 2, 1), u"文"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(Strings, BadPositionsRaiseInvalidCall) {
  EXPECT_RAISES(5, Left(u"abc", -1));
  EXPECT_RAISES(5, Right(u"abc", -1));
  EXPECT_RAISES(5, Mid(u"abc", 0));
  EXPECT_RAISES(5, Mid(u"abc", 0, 1));
  EXPECT_RAISES(5, Mid(u"abc", 1, -1));
  EXPECT_RAISES(5, Space(-1));
  EXPECT_RAISES(5, StringOf(-1, u'x'));
  EXPECT_RAISES(5, StringOf(3, StringView()));
  EXPECT_RAISES(5, AscW(u""));
  EXPECT_RAISES(5, ChrW(65536));
  EXPECT_RAISES(5, ChrW(-32769));
  EXPECT_RAISES(5, InStr(0, u"abc", u"b"));
  EXPECT_RAISES(5, InStrRev(u"abc", u"b", 0));
  EXPECT_RAISES(5, InStrRev(u"abc", u"b", -2));
  EXPECT_RAISES(5, Replace(u"abc", u"b", u"x", 0));
  EXPECT_RAISES(5, Replace(u"abc", u"b", u"x", 1, -2));
  EXPECT_RAISES(5, SplitParts(u"a b", u" ", -2));
}

TEST(Strings, PaddingAndReversal) {
  EXPECT_EQ(Space(3), u"   ");
  EXPECT_EQ(Space(0), u"");
  EXPECT_EQ(StringOf(3, u'*'), u"***");
  EXPECT_EQ(StringOf(2, u"ab"), u"aa");
  EXPECT_EQ(StrReverse(u"abc中"), u"中cba");
  EXPECT_EQ(Len(u"中a"), 2);
}

TEST(Strings, AscWIsSignedAndChrWTakesBothForms) {
  EXPECT_EQ(AscW(u"A"), 65);
  EXPECT_EQ(AscW(u"中"), 0x4E2D);
  EXPECT_EQ(AscW(u"\uFFE5"), -27);  // past U+7FFF: VB's Integer is negative
  EXPECT_EQ(ChrW(65), u"A");
  EXPECT_EQ(ChrW(-27), u"\uFFE5");
  EXPECT_EQ(ChrW(65535), u"\uFFFF");
  EXPECT_EQ(ChrW(AscW(u"\u9FA5")), u"\u9FA5");
}

TEST(Strings, CaseMapping) {
  EXPECT_EQ(UCase(u"abc xyz 09_@[`{"), u"ABC XYZ 09_@[`{");
  EXPECT_EQ(LCase(u"ABC XYZ 09_@[`{"), u"abc xyz 09_@[`{");
  EXPECT_EQ(UCase(u"éàü ωσ ｆ"), u"ÉÀÜ ΩΣ Ｆ");
  EXPECT_EQ(LCase(u"ÉÀÜ ΩΣ Ｆ"), u"éàü ωσ ｆ");
  EXPECT_EQ(UCase(u"中文1"), u"中文1");
  String surrogates = u"\U0001D400";  // stays as it is
  EXPECT_EQ(LCase(surrogates), surrogates);
}

TEST(Strings, InStr) {
  struct Case {
    int32_t start;
    const char16_t *s, *find;
    CompareMethod compare;
    int32_t want;
  } cases[] = {
      {1, u"abcabc", u"c", vbBinaryCompare, 3},
      {4, u"abcabc", u"c", vbBinaryCompare, 6},
      {7, u"abcabc", u"c", vbBinaryCompare, 0},
      {1, u"abcabc", u"C", vbBinaryCompare, 0},
      {1, u"abcabc", u"C", vbTextCompare, 3},
      {1, u"ABCabc", u"bC", vbTextCompare, 2},
      {1, u"abc", u"", vbBinaryCompare, 1},
      {3, u"abc", u"", vbBinaryCompare, 3},
      {1, u"", u"", vbBinaryCompare, 0},
      {1, u"", u"a", vbBinaryCompare, 0},
      {1, u"ab", u"abc", vbBinaryCompare, 0},
      {1, u"学生ＡＢ", u"ａｂ", vbTextCompare, 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(InStr(c.start, c.s, c.find, c.compare), c.want) << ToUtf8(c.s) << " " << c.start;
  EXPECT_EQ(InStr(u"abc", u"c"), 3);
}

TEST(Strings, InStrRev) {
  EXPECT_EQ(InStrRev(u"abcabc", u"bc"), 5);
  EXPECT_EQ(InStrRev(u"abcabc", u"bc", 5), 2);  // the match must end by start
  EXPECT_EQ(InStrRev(u"abcabc", u"bc", 6), 5);
  EXPECT_EQ(InStrRev(u"abcabc", u"BC", -1, vbTextCompare), 5);
  EXPECT_EQ(InStrRev(u"abcabc", u"BC"), 0);
  EXPECT_EQ(InStrRev(u"abc", u"x"), 0);
  EXPECT_EQ(InStrRev(u"abc", u"c", 9), 0);
  EXPECT_EQ(InStrRev(u"abc", u""), 3);
  EXPECT_EQ(InStrRev(u"abc", u"", 2), 2);
  EXPECT_EQ(InStrRev(u"", u"a"), 0);
}

TEST(Strings, Replace) {
  struct Case {
    const char16_t *s, *find, *with;
    int32_t start, count;
    CompareMethod compare;
    const char16_t* want;
  } cases[] = {
      {u"a-b-c", u"-", u"+", 1, -1, vbBinaryCompare, u"a+b+c"},
      {u"a-b-c", u"-", u"", 1, -1, vbBinaryCompare, u"abc"},
      {u"a-b-c", u"-", u"+", 1, 1, vbBinaryCompare, u"a+b-c"},
      {u"a-b-c", u"-", u"+", 1, 0, vbBinaryCompare, u"a-b-c"},
      {u"a-b-c", u"-", u"+", 3, -1, vbBinaryCompare, u"b+c"},  // the text from start on
      {u"a-b-c", u"-", u"+", 5, -1, vbBinaryCompare, u"c"},
      {u"a-b-c", u"-", u"+", 6, -1, vbBinaryCompare, u""},
      {u"a-b-c", u"", u"+", 2, -1, vbBinaryCompare, u"-b-c"},
      {u"", u"a", u"b", 1, -1, vbBinaryCompare, u""},
      {u"aaaa", u"aa", u"b", 1, -1, vbBinaryCompare, u"bb"},
      {u"aaa", u"aa", u"b", 1, -1, vbBinaryCompare, u"ba"},
      {u"abAB", u"ab", u"x", 1, -1, vbBinaryCompare, u"xAB"},
      {u"abAB", u"ab", u"x", 1, -1, vbTextCompare, u"xx"},
      {u"Select * From T", u"FROM", u"from", 1, -1, vbTextCompare, u"Select * from T"},
      {u"ab", u"b", u"bb", 1, -1, vbBinaryCompare, u"abb"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Replace(c.s, c.find, c.with, c.start, c.count, c.compare), c.want)
        << ToUtf8(c.s) << " " << ToUtf8(c.find) << " " << c.start;
}

TEST(Strings, StrComp) {
  EXPECT_EQ(StrComp(u"a", u"b"), -1);
  EXPECT_EQ(StrComp(u"b", u"a"), 1);
  EXPECT_EQ(StrComp(u"a", u"a"), 0);
  EXPECT_EQ(StrComp(u"a", u"A"), 1);
  EXPECT_EQ(StrComp(u"a", u"A", vbTextCompare), 0);
  EXPECT_EQ(StrComp(u"ab", u"a"), 1);
  EXPECT_EQ(StrComp(u"", u"a"), -1);
  EXPECT_EQ(StrComp(u"Apple", u"banana", vbTextCompare), -1);
  EXPECT_EQ(StrComp(u"Apple", u"banana"), -1);
  EXPECT_EQ(StrComp(u"apple", u"Banana"), 1);
}

TEST(Strings, Split) {
  using Parts = std::vector<String>;
  struct Case {
    const char16_t *s, *delimiter;
    int32_t limit;
    CompareMethod compare;
    Parts want;
  } cases[] = {
      {u"a,b,c", u",", -1, vbBinaryCompare, {u"a", u"b", u"c"}},
      {u"a,,c,", u",", -1, vbBinaryCompare, {u"a", u"", u"c", u""}},
      {u",", u",", -1, vbBinaryCompare, {u"", u""}},
      {u"a,b,c", u",", 2, vbBinaryCompare, {u"a", u"b,c"}},
      {u"a,b,c", u",", 1, vbBinaryCompare, {u"a,b,c"}},
      {u"a,b,c", u",", 0, vbBinaryCompare, {}},
      {u"a,b,c", u",", 9, vbBinaryCompare, {u"a", u"b", u"c"}},
      {u"a b", u" ", -1, vbBinaryCompare, {u"a", u"b"}},
      {u"a,b", u"", -1, vbBinaryCompare, {u"a,b"}},
      {u"", u",", -1, vbBinaryCompare, {}},
      {u"1AND2and3", u"and", -1, vbBinaryCompare, {u"1AND2", u"3"}},
      {u"1AND2and3", u"and", -1, vbTextCompare, {u"1", u"2", u"3"}},
      {u"a||b|c", u"||", -1, vbBinaryCompare, {u"a", u"b|c"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitParts(c.s, c.delimiter, c.limit, c.compare), c.want) << ToUtf8(c.s);
}

TEST(Strings, SplitGivesAStringArrayFromZero) {
  Array empty = Split(u"");
  EXPECT_EQ(empty.LBound(), 0);
  EXPECT_EQ(empty.UBound(), -1);
  EXPECT_EQ(empty.Count(), 0u);

  Array parts = Split(u"x|y", u"|");
  EXPECT_EQ(parts.ElementType(), vbString);
  EXPECT_EQ(parts.UBound(), 1);
  EXPECT_EQ(parts.Get({1}), Variant(u"y"));
}

TEST(Strings, Join) {
  EXPECT_EQ(Join(std::vector<String>{u"a", u"b", u"c"}, u", "), u"a, b, c");
  EXPECT_EQ(Join(std::vector<String>{u"a", u"b"}), u"a b");
  EXPECT_EQ(Join(std::vector<String>{}), u"");
  EXPECT_EQ(Join(Split(u"a,,b", u","), u";"), u"a;;b");
  EXPECT_EQ(Join(Split(u""), u";"), u"");
  EXPECT_EQ(Join(Array::OfVariants({Variant(int16_t{1}), Variant(2.5), Variant(true), Variant()}),
                 u"|"),
            u"1|2.5|True|");
  EXPECT_RAISES(94, Join(Array::OfVariants({Variant::Null()})));
  EXPECT_RAISES(5, Join(Array(vbVariant, {{0, 1}, {0, 1}})));
  EXPECT_RAISES(13, Join(Array::OfBytes({1, 2})));
}

}  // namespace
}  // namespace vb
