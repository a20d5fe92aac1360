// Time-stamped and random file names.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "../platform/vb/raises.h"
#include "common/kesra_file_name.h"

namespace {

bool AllDigits(vb::StringView s) {
  return std::all_of(s.begin(), s.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

TEST(KesraFileGetTimeName, IsTheCurrentTimeInFourteenDigits) {
  const vb::String before = qe::KesraFileGetTimeName();
  const vb::String name = qe::KesraFileGetTimeName();
  const vb::String after = qe::KesraFileGetTimeName();
  ASSERT_EQ(name.size(), 14u);
  EXPECT_TRUE(AllDigits(name));
  EXPECT_LE(before, name);
  EXPECT_LE(name, after);
  EXPECT_GE(name.substr(0, 4), u"2024");
  EXPECT_LE(name.substr(4, 2), u"12");
  EXPECT_LE(name.substr(8, 2), u"23");
}

TEST(KesraFileGetRndName, IsATimeNameAndARandomPartOfSixCharacters) {
  const vb::String name = qe::KesraFileGetRndName(20);
  ASSERT_EQ(name.size(), 20u);
  EXPECT_TRUE(AllDigits(name));
  EXPECT_EQ(name[19], u'0');

  const vb::String longer = qe::KesraFileGetRndName(22);
  EXPECT_EQ(longer.size(), 22u);
  EXPECT_EQ(longer.substr(20), u"99");
  EXPECT_EQ(qe::KesraFileGetRndName(21).substr(20), u"9");
  const vb::String shorter = qe::KesraFileGetRndName(10);
  EXPECT_EQ(shorter.size(), 10u);
  EXPECT_EQ(shorter[9], u'0');
  EXPECT_EQ(qe::KesraFileGetRndName(0), u"");
  EXPECT_RAISES(vb::kInvalidProcedureCall, qe::KesraFileGetRndName(-1));
}

TEST(KesraFileGetRndName, RarelyRepeatsWithinOneSecond) {
  // 2,000 draws from 90,000 numbers repeat about 22 times; a generator
  // reseeded from the clock at every call would repeat nearly every time.
  std::set<vb::String> random_parts;
  std::set<char16_t> leading_digits;
  for (int i = 0; i < 2000; ++i) {
    const vb::String name = qe::KesraFileGetRndName(20);
    random_parts.insert(name.substr(14));
    leading_digits.insert(name[14]);
    // 0 stands first only for the number 0 itself (drawn about once in 45 runs).
    if (name[14] == u'0') EXPECT_EQ(name.substr(14), u"000000");
  }
  EXPECT_GT(random_parts.size(), 1900u);
  leading_digits.erase(u'0');
  EXPECT_EQ(leading_digits.size(), 9u);
}

}  // namespace
