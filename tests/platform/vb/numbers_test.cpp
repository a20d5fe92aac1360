#include "platform/vb/numbers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/vb/information.h"
#include "raises.h"

namespace vb {
namespace {

TEST(Numbers, ValReadsTheLeadingNumber) {
  struct Case {
    const char16_t* text;
    double want;
  } cases[] = {
      {u"  12abc", 12},   {u"12", 12},         {u"&H10", 16},      {u"&h1f", 31},
      {u"&HFFFF", -1},    {u"&HFFFF&", 65535}, {u"&H10000", 65536}, {u"&HFFFFFFFF", -1},
      {u"&O17", 15},      {u"&O177777", -1},   {u"&Hz", 0},        {u"&", 0},
      {u"&X10", 0},       {u"1e3", 1000},      {u"1E-2", 0.01},    {u"1d2", 100},
      {u"1e", 1},         {u"1e+", 1},         {u"2.5e2.3", 250},  {u"1,000", 1},
      {u" 1 2 3", 123},   {u"1\t2\n3", 123},   {u"- 5", -5},       {u"+.5", 0.5},
      {u"1.2.3", 1.2},    {u".", 0},           {u"-", 0},          {u"--5", 0},
      {u"", 0},           {u"abc", 0},         {u"$12", 0},        {u"\uFFE512", 0},
      {u"1-2", 1},        {u"12-", 12},        {u"(5)", 0},        {u"-0", 0},
      {u"3.14159xyz", 3.14159}, {u"0012", 12}, {u"1\r2", 1},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.want) << ToUtf8(c.text);
  EXPECT_FALSE(std::signbit(Val(u"-0")));
  EXPECT_RAISES(6, Val(u"1e400"));
  EXPECT_RAISES(6, Val(u"&H100000000"));
}

TEST(Numbers, IsNumericFollowsTheZhCnRules) {
  struct Case {
    Variant value;
    bool want;
  } cases[] = {
      {u"1,000", true},  {u" 12 ", true},  {u"&H10", true},    {u"1e3", true},
      {u"-1.5", true},   {u"(12)", true},  {u"12-", true},     {u".5", true},
      {u"\uFFE512", true}, {u"\u00A512.5", true}, {u"-\uFFE5 12", true},
      {u"", false},      {u"  ", false},   {u"12abc", false},  {u"abc", false},
      {u"$12", false},   {u"1 2", false},  {u"2024-1-5", false}, {u"1e", false},
      {u".", false},     {u"12\uFFE5", false}, {u"1.2.3", false}, {u"--1", false},
      {Variant(), true}, {Variant::Null(), false},  {int16_t{1}, true}, {2.5, true},
      {true, true},      {Currency{1}, true},       {uint8_t{1}, true}, {Date{1}, false},
      {Variant::Nothing(), false}, {Array::OfBytes({1}), false}, {ErrorCode{5}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsNumeric(c.value), c.want) << (c.value.IsString() ? ToUtf8(c.value.As<String>()) : "type " + std::to_string(c.value.Type()));
}

TEST(Numbers, HexAndOct) {
  struct Case {
    Variant value;
    const char16_t *hex, *oct;
  } cases[] = {
      {int16_t{-1}, u"FFFF", u"177777"},
      {int32_t{-1}, u"FFFFFFFF", u"37777777777"},
      {int16_t{255}, u"FF", u"377"},
      {int32_t{65536}, u"10000", u"200000"},
      {int16_t{-32768}, u"8000", u"100000"},
      {int32_t{0}, u"0", u"0"},
      {true, u"FFFF", u"177777"},
      {uint8_t{16}, u"10", u"20"},
      {15.5, u"10", u"20"},  // rounded to a Long, ties to even
      {-1.0, u"FFFFFFFF", u"37777777777"},
      {u"255", u"FF", u"377"},
      {Variant(), u"0", u"0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Hex(c.value), c.hex);
    EXPECT_EQ(Oct(c.value), c.oct);
  }
  EXPECT_RAISES(6, Hex(4294967296.0));
  EXPECT_RAISES(94, Hex(Variant::Null()));
  EXPECT_RAISES(13, Hex(u"xyz"));
}

TEST(Numbers, IntFloorsAndFixTruncates) {
  struct Case {
    double value, int_want, fix_want;
  } cases[] = {
      {2.5, 2, 2}, {-2.5, -3, -2}, {-2.0, -2, -2}, {0.9, 0, 0}, {-0.1, -1, 0}, {1e20, 1e20, 1e20},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Int(c.value), c.int_want) << c.value;
    EXPECT_EQ(Fix(c.value), c.fix_want) << c.value;
  }
}

TEST(Numbers, IntAndFixKeepTheType) {
  EXPECT_EQ(Int(Variant(-2.5)), Variant(-3.0));
  EXPECT_EQ(Fix(Variant(-2.5)), Variant(-2.0));
  EXPECT_EQ(Int(Variant(-2.5f)), Variant(-3.0f));
  EXPECT_EQ(Int(Variant(int16_t{7})), Variant(int16_t{7}));
  EXPECT_EQ(Int(Variant(int32_t{7})), Variant(int32_t{7}));
  EXPECT_EQ(Int(Variant(true)), Variant(int16_t{-1}));
  EXPECT_EQ(Int(Variant()), Variant(int16_t{0}));
  EXPECT_TRUE(Int(Variant::Null()).IsNull());
  EXPECT_EQ(Int(Variant(u"-2.5")), Variant(-3.0));
  EXPECT_EQ(Int(Variant(Currency{-25000})), Variant(Currency{-30000}));
  EXPECT_EQ(Fix(Variant(Currency{-25000})), Variant(Currency{-20000}));
  EXPECT_EQ(Int(Variant(Currency{25001})), Variant(Currency{20000}));
  EXPECT_EQ(Int(Variant(Date{45296.75})), Variant(Date{45296}));
  EXPECT_RAISES(13, Int(Variant(u"abc")));
  EXPECT_RAISES(6, Int(Variant(Currency{INT64_MIN})));
}

TEST(Numbers, AbsAndSgn) {
  EXPECT_EQ(Abs(Variant(int16_t{-5})), Variant(int16_t{5}));
  EXPECT_EQ(Abs(Variant(int16_t{-32768})), Variant(int32_t{32768}));
  EXPECT_EQ(Abs(Variant(int32_t{-2147483647 - 1})), Variant(2147483648.0));
  EXPECT_EQ(Abs(Variant(-2.5)), Variant(2.5));
  EXPECT_EQ(Abs(Variant(-2.5f)), Variant(2.5f));
  EXPECT_EQ(Abs(Variant(Currency{-5})), Variant(Currency{5}));
  EXPECT_EQ(Abs(Variant(true)), Variant(int16_t{1}));
  EXPECT_EQ(Abs(Variant(u"-3")), Variant(3.0));
  EXPECT_EQ(Abs(Variant()), Variant(int16_t{0}));
  EXPECT_TRUE(Abs(Variant::Null()).IsNull());
  EXPECT_RAISES(6, Abs(Variant(Currency{INT64_MIN})));

  EXPECT_EQ(Sgn(-0.5), -1);
  EXPECT_EQ(Sgn(0.0), 0);
  EXPECT_EQ(Sgn(7.0), 1);
  EXPECT_EQ(Sgn(Variant(u"-2")), Variant(int16_t{-1}));
  EXPECT_EQ(Sgn(Variant(Currency{-1})), Variant(int16_t{-1}));
  EXPECT_EQ(Sgn(Variant()), Variant(int16_t{0}));
  EXPECT_TRUE(Sgn(Variant::Null()).IsNull());
}

TEST(Numbers, RoundTiesToEven) {
  struct Case {
    double value;
    int decimals;
    double want;
  } cases[] = {
      {2.5, 0, 2},      {3.5, 0, 4},       {-2.5, 0, -2},    {-3.5, 0, -4},   {2.4999, 0, 2},
      {0.125, 2, 0.12}, {0.375, 2, 0.38},  {1.23456, 3, 1.235},
      {-0.4, 0, 0},     {1e300, 2, 1e300}, {123.456, 30, 123.456},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(Round(c.value, c.decimals), c.want) << c.value << " " << c.decimals;
  EXPECT_FALSE(std::signbit(Round(-0.4)));
  EXPECT_RAISES(5, Round(1.5, -1));

  EXPECT_EQ(Round(Variant(int32_t{7}), 2), Variant(int32_t{7}));
  EXPECT_EQ(Round(Variant(2.5f)), Variant(2.0f));
  EXPECT_EQ(Round(Variant(u"3.5")), Variant(4.0));
  EXPECT_EQ(Round(Variant(Currency{12350}), 2), Variant(Currency{12400}));  // 1.235 -> 1.24
  EXPECT_EQ(Round(Variant(Currency{12250}), 2), Variant(Currency{12200}));  // 1.225 -> 1.22
  EXPECT_EQ(Round(Variant(Currency{-12350}), 2), Variant(Currency{-12400}));
  EXPECT_EQ(Round(Variant(Currency{15000})), Variant(Currency{20000}));
  EXPECT_EQ(Round(Variant(Currency{12345}), 4), Variant(Currency{12345}));
  EXPECT_TRUE(Round(Variant::Null()).IsNull());
  EXPECT_RAISES(5, Round(Variant(1.5), -1));
}

TEST(Information, IsDate) {
  EXPECT_TRUE(IsDate(Date{1}));
  EXPECT_TRUE(IsDate(u"2024-1-5"));
  EXPECT_TRUE(IsDate(u"2024/01/05 10:20:30"));
  EXPECT_TRUE(IsDate(u"2024年1月5日"));
  EXPECT_TRUE(IsDate(u"10:20"));
  EXPECT_FALSE(IsDate(u"2024-2-30"));
  EXPECT_FALSE(IsDate(u""));
  EXPECT_FALSE(IsDate(45296.0));
  EXPECT_FALSE(IsDate(Variant()));
  EXPECT_FALSE(IsDate(Variant::Null()));
}

TEST(Information, TypeNames) {
  struct Case {
    Variant value;
    const char16_t* name;
  } cases[] = {
      {Variant(), u"Empty"},        {Variant::Null(), u"Null"},    {int16_t{1}, u"Integer"},
      {int32_t{1}, u"Long"},        {1.0f, u"Single"},             {1.0, u"Double"},
      {Currency{1}, u"Currency"},   {Date{1}, u"Date"},            {u"a", u"String"},
      {Variant::Nothing(), u"Nothing"}, {ErrorCode{1}, u"Error"},  {true, u"Boolean"},
      {uint8_t{1}, u"Byte"},        {Array::OfBytes({}), u"Byte()"},
      {Array::OfVariants({}), u"Variant()"}, {Array(vbString, {{0, 0}}), u"String()"},
  };
  for (const auto& c : cases) EXPECT_EQ(TypeName(c.value), c.name);
  EXPECT_TRUE(IsObject(Variant::Nothing()));
  EXPECT_FALSE(IsObject(Variant(u"x")));
  EXPECT_TRUE(IsArray(Array::OfBytes({})));
  EXPECT_TRUE(IsEmpty(Variant()));
  EXPECT_FALSE(IsEmpty(Variant(u"")));
  EXPECT_TRUE(IsNull(Variant::Null()));
  EXPECT_TRUE(IsMissing(Variant::Missing()));
}

}  // namespace
}  // namespace vb
