#include "platform/regex/regexp.h"

#include <gtest/gtest.h>

#include "platform/com/registry.h"

namespace {

int ErrorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const vb::Error& e) {
    return e.Number();
  }
  return 0;
}

regex::RegExp Make(vb::StringView pattern, bool global = false) {
  regex::RegExp re;
  re.Pattern(pattern);
  re.Global(global);
  return re;
}

std::vector<vb::String> Values(const regex::MatchCollection& matches) {
  std::vector<vb::String> values;
  for (const auto& m : matches.Items()) values.push_back(m->Value());
  return values;
}

TEST(RegExpReplace, Tokens) {
  struct Case {
    const char16_t* replacement;
    const char16_t* expected;
  };
  const Case cases[] = {
      {u"$2", u"x site y"},
      {u"$1 at $2", u"x joe at site y"},
      {u"$&!", u"x joe@site! y"},
      {u"[$`]", u"x [x ] y"},
      {u"[$']", u"x [ y] y"},
      {u"$$1", u"x $1 y"},
      {u"$3", u"x $3 y"},     // no third group: left as it is
      {u"$0", u"x $0 y"},
      {u"$12", u"x joe2 y"},  // two groups: "$1" then "2"
      {u"$01", u"x joe y"},
      {u"$x$", u"x $x$ y"},
      {u"", u"x  y"},
  };
  regex::RegExp re = Make(u"(\\w+)@(\\w+)");
  for (const auto& k : cases)
    EXPECT_EQ(re.Replace(u"x joe@site y", k.replacement), k.expected) << vb::ToUtf8(k.replacement);
}

TEST(RegExpReplace, TwoDigitGroupsAndGroupsThatTookNoPart) {
  regex::RegExp eleven = Make(u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)");
  EXPECT_EQ(eleven.Replace(u"abcdefghijk", u"$11$10$1"), u"kja");
  EXPECT_EQ(eleven.Replace(u"abcdefghijk", u"$12"), u"a2");
  regex::RegExp either = Make(u"(a)|(b)");
  EXPECT_EQ(either.Replace(u"b", u"[$1|$2]"), u"[|b]");
}

TEST(RegExpGlobal, FirstMatchOnlyUnlessGlobal) {
  regex::RegExp re = Make(u"an");
  EXPECT_EQ(re.Replace(u"banana", u"AN"), u"bANana");
  EXPECT_EQ(re.Execute(u"banana")->Count(), 1);
  re.Global(true);
  EXPECT_EQ(re.Replace(u"banana", u"AN"), u"bANANa");
  EXPECT_EQ(re.Execute(u"banana")->Count(), 2);
  EXPECT_EQ(re.Replace(u"xyz", u"AN"), u"xyz");
  EXPECT_EQ(re.Execute(u"xyz")->Count(), 0);
}

TEST(RegExpGlobal, EmptyMatchesMoveOnByOneUnit) {
  regex::RegExp re = Make(u"a*", true);
  auto matches = re.Execute(u"baaa");
  EXPECT_EQ(Values(*matches), (std::vector<vb::String>{u"", u"aaa", u""}));
  EXPECT_EQ(matches->Item(1)->FirstIndex(), 1);
  EXPECT_EQ(matches->Item(2)->FirstIndex(), 4);
  EXPECT_EQ(Make(u"x*", true).Replace(u"abc", u"-"), u"-a-b-c-");
  EXPECT_EQ(Make(u"", true).Replace(u"中😀", u"|"), u"|中|\xD83D|\xDE00|");
}

TEST(RegExpOptions, IgnoreCaseFoldsAsciiAndRecompiles) {
  regex::RegExp re = Make(u"abc");
  EXPECT_FALSE(re.Test(u"xABCx"));
  re.IgnoreCase(true);
  EXPECT_TRUE(re.Test(u"xABCx"));
  re.IgnoreCase(false);
  EXPECT_FALSE(re.Test(u"xABCx"));
}

TEST(RegExpOptions, LineFeedIsTheOnlyLineBreak) {
  regex::RegExp start = Make(u"^b");
  EXPECT_FALSE(start.Test(u"a\nb"));
  start.MultiLine(true);
  EXPECT_TRUE(start.Test(u"a\nb"));
  EXPECT_FALSE(start.Test(u"a\rb"));

  regex::RegExp end = Make(u"a$");
  EXPECT_FALSE(end.Test(u"a\n"));  // only at the very end
  EXPECT_TRUE(end.Test(u"ba"));
  end.MultiLine(true);
  EXPECT_TRUE(end.Test(u"a\nb"));

  regex::RegExp dot = Make(u".+", true);
  EXPECT_EQ(Values(*dot.Execute(u"a\r\nb")), (std::vector<vb::String>{u"a\r", u"b"}));
}

TEST(RegExpPositions, CodeUnitsWithChineseAndSurrogatePairs) {
  auto matches = Make(u"b|文", true).Execute(u"中文😀b");
  ASSERT_EQ(matches->Count(), 2);
  EXPECT_EQ(matches->Item(0)->FirstIndex(), 1);
  EXPECT_EQ(matches->Item(1)->FirstIndex(), 4);  // the pair counts two
  auto units = Make(u".", true).Execute(u"😀");
  ASSERT_EQ(units->Count(), 2);
  EXPECT_EQ(units->Item(1)->Length(), 1);
  EXPECT_EQ(units->Item(1)->Value(), vb::String(1, char16_t{0xDE00}));
  EXPECT_TRUE(Make(u"^\\u4E2D\\x41$").Test(u"中A"));
  EXPECT_TRUE(Make(u"a\\0?b").Test(vb::String(u"a\0b", 3)));
}

TEST(RegExpSyntax, EcmaScriptReadings) {
  EXPECT_FALSE(Make(u"[]").Test(u"abc"));
  EXPECT_TRUE(Make(u"\\1(a)").Test(u"a"));  // a group not yet matched matches ""
  EXPECT_FALSE(Make(u"^\\w+$").Test(u"中文"));
  EXPECT_FALSE(Make(u"\\d").Test(u"１"));  // full-width digit
}

TEST(RegExpErrors, BadPatternsRaiseWhenUsed) {
  struct Case {
    const char16_t* pattern;
    int number;
  };
  const Case cases[] = {
      {u"(a", 5020},    {u"[a", 5019},       {u"*a", 5018},    {u"a{3,2}", 5018},
      {u"[z-a]", 5021}, {u"a\\", 5017},      {u"a)", 5017},    {u"(*UTF)a", 5017},
      {u"(?<", 5017},
  };
  for (const auto& k : cases) {
    regex::RegExp re;
    re.Pattern(k.pattern);  // no error yet
    EXPECT_EQ(ErrorNumber([&] { re.Test(u"a"); }), k.number) << vb::ToUtf8(k.pattern);
    EXPECT_EQ(ErrorNumber([&] { re.Replace(u"a", u"b"); }), k.number);
  }
}

TEST(RegExpErrors, CatastrophicBacktrackingHitsTheLimit) {
  regex::RegExp re = Make(u"(a+)+$");
  const vb::String subject = vb::String(37, u'a') + u"!";
  EXPECT_EQ(ErrorNumber([&] { re.Test(subject); }), regex::kTooComplex);
  EXPECT_EQ(ErrorNumber([&] { re.Execute(subject); }), regex::kTooComplex);
  // The object still works on a subject it can handle.
  EXPECT_TRUE(re.Test(u"aaa"));
}

TEST(RegExpMatches, SubMatchesAndBounds) {
  auto matches = Make(u"(\\d+)(x)?-(\\d+)", true).Execute(u"1-2 33x-44");
  ASSERT_EQ(matches->Count(), 2);
  auto first = matches->Item(0)->SubMatches();
  ASSERT_EQ(first->Count(), 3);
  EXPECT_EQ(first->Item(0), vb::Variant(u"1"));
  EXPECT_TRUE(first->Item(1).IsEmpty());  // took no part
  EXPECT_EQ(first->Item(2), vb::Variant(u"2"));
  EXPECT_EQ(matches->Item(1)->SubMatches()->Item(1), vb::Variant(u"x"));
  EXPECT_EQ(matches->Item(1)->FirstIndex(), 4);
  EXPECT_EQ(matches->Item(1)->Length(), 6);
  EXPECT_EQ(ErrorNumber([&] { matches->Item(2); }), 5);
  EXPECT_EQ(ErrorNumber([&] { matches->Item(-1); }), 5);
  EXPECT_EQ(ErrorNumber([&] { first->Item(3); }), 5);
}

TEST(RegExpLateBound, CreateObjectAndCallByName) {
  vb::Variant re = com::CreateObject(u"vbscript.regexp");
  com::Let(re, u"Pattern", u"(\\w)(\\d)");
  com::Let(re, u"global", u"True");
  com::Let(re, u"IgnoreCase", vb::Variant(int32_t{1}));
  EXPECT_EQ(com::Call(re, u"Pattern"), vb::Variant(u"(\\w)(\\d)"));
  EXPECT_EQ(com::Call(re, u"Global"), vb::Variant(true));
  EXPECT_EQ(com::Call(re, u"MultiLine"), vb::Variant(false));
  EXPECT_EQ(com::Call(re, u"Test", u"a1"), vb::Variant(true));
  EXPECT_EQ(com::Call(re, u"Replace", u"a1 B2", u"$2$1"), vb::Variant(u"1a 2B"));

  vb::Variant matches = com::Call(re, u"Execute", u"a1 B2");
  EXPECT_EQ(com::Call(matches, u"Count"), vb::Variant(int32_t{2}));
  vb::Variant second = com::Call(matches, u"", int32_t{1});  // Item is the default
  EXPECT_EQ(com::ValueOf(second), vb::Variant(u"B2"));        // Value is the default
  EXPECT_EQ(com::Call(second, u"FirstIndex"), vb::Variant(int32_t{3}));
  vb::Variant groups = com::Call(second, u"SubMatches");
  EXPECT_EQ(com::Call(groups, u"Item", int32_t{1}), vb::Variant(u"2"));
  EXPECT_EQ(second.GetObject()->TypeName(), u"IMatch2");
  EXPECT_EQ(re.GetObject()->TypeName(), u"IRegExp2");

  EXPECT_EQ(ErrorNumber([&] { com::Call(re, u"Execute"); }), 450);
  EXPECT_EQ(ErrorNumber([&] { com::Call(re, u"Exec", u"x"); }), 438);
  EXPECT_EQ(ErrorNumber([&] { com::Call(re, u"Test", vb::Variant::Null()); }), 94);
}

}  // namespace
