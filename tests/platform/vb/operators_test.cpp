#include "platform/vb/operators.h"

#include <gtest/gtest.h>

#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "raises.h"

namespace vb {
namespace {

std::string Describe(const Variant& v) {
  if (v.IsNull()) return "Null";
  return "type " + std::to_string(v.Type()) + " " + ToUtf8(CStr(v));
}

TEST(Operators, Compare) {
  Date day = DateFromParts({2024, 1, 5});
  struct Case {
    Variant a, b;
    CompareMethod compare;
    std::optional<int> want;
  } cases[] = {
      {int16_t{1}, int16_t{2}, vbBinaryCompare, -1},
      {2.5, int32_t{2}, vbBinaryCompare, 1},
      {Currency{15000}, 1.5, vbBinaryCompare, 0},
      {Currency{INT64_MAX}, Currency{INT64_MAX - 1}, vbBinaryCompare, 1},
      {u"a", u"b", vbBinaryCompare, -1},
      {u"a", u"A", vbBinaryCompare, 1},
      {u"a", u"A", vbTextCompare, 0},
      {Variant(), int16_t{0}, vbBinaryCompare, 0},
      {Variant(), u"", vbBinaryCompare, 0},
      {Variant(), int16_t{-1}, vbBinaryCompare, 1},
      {u"a", Variant(), vbBinaryCompare, 1},
      {Variant(), Variant(), vbBinaryCompare, 0},
      {u"10", int16_t{9}, vbBinaryCompare, 1},  // numerically, not "10" < "9"
      {u"9", int16_t{10}, vbBinaryCompare, -1},
      {int16_t{10}, u" 10 ", vbBinaryCompare, 0},
      {u"1,000", 1000.0, vbBinaryCompare, 0},
      {u"abc", int16_t{10}, vbBinaryCompare, 1},  // a plain text is greater
      {int16_t{10}, u"abc", vbBinaryCompare, -1},
      {u"", int16_t{0}, vbBinaryCompare, 1},
      {true, int16_t{-1}, vbBinaryCompare, 0},
      {day, u"2024-1-5", vbBinaryCompare, 0},
      {u"2024-1-6", day, vbBinaryCompare, 1},
      {day, 45296.0, vbBinaryCompare, 0},
      {Variant::Null(), int16_t{1}, vbBinaryCompare, std::nullopt},
      {u"a", Variant::Null(), vbBinaryCompare, std::nullopt},
      {Variant::Null(), Variant::Null(), vbBinaryCompare, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Compare(c.a, c.b, c.compare), c.want) << Describe(c.a) << " vs " << Describe(c.b);
  EXPECT_RAISES(91, Compare(Variant::Nothing(), int16_t{1}));
  EXPECT_RAISES(13, Compare(Array::OfBytes({}), int16_t{1}));
}

TEST(Operators, EqualsIsFalseForNullEitherWay) {
  EXPECT_TRUE(Equals(u"abc", u"ABC", vbTextCompare));
  EXPECT_FALSE(Equals(u"abc", u"ABC"));
  EXPECT_TRUE(NotEquals(u"abc", u"ABC"));
  EXPECT_TRUE(Equals(int32_t{5}, u"5"));
  EXPECT_FALSE(Equals(Variant::Null(), Variant::Null()));
  EXPECT_FALSE(NotEquals(Variant::Null(), int16_t{1}));
  EXPECT_FALSE(Equals(Variant::Null(), int16_t{1}));
}

TEST(Operators, Concat) {
  EXPECT_EQ(Concat(u"a", int16_t{1}), Variant(u"a1"));
  EXPECT_EQ(Concat(Variant::Null(), u"x"), Variant(u"x"));
  EXPECT_EQ(Concat(u"x", Variant::Null()), Variant(u"x"));
  EXPECT_TRUE(Concat(Variant::Null(), Variant::Null()).IsNull());
  EXPECT_EQ(Concat(true, 2.5), Variant(u"True2.5"));
  EXPECT_EQ(Concat(Variant(), Variant()), Variant(u""));
  EXPECT_EQ(Concat(DateFromParts({2024, 1, 5}), u"!"), Variant(u"2024/1/5!"));
  EXPECT_RAISES(91, Concat(Variant::Nothing(), u"x"));
}

struct ArithmeticCase {
  Variant a, b, want;
};

void CheckAll(const char* op, Variant (*apply)(const Variant&, const Variant&),
              std::initializer_list<ArithmeticCase> cases) {
  for (const auto& c : cases) {
    try {
      Variant got = apply(c.a, c.b);
      EXPECT_EQ(got, c.want) << Describe(c.a) << " " << op << " " << Describe(c.b) << " gave " << Describe(got);
    } catch (const Error& e) {
      ADD_FAILURE() << Describe(c.a) << " " << op << " " << Describe(c.b) << " raised " << e.Number();
    }
  }
}

TEST(Operators, AddTakesVbTypes) {
  Date day = DateFromParts({2024, 1, 5});
  CheckAll("+", Add,
           {
               {int16_t{1}, int16_t{1}, int16_t{2}},
               {int16_t{32767}, int16_t{1}, int32_t{32768}},  // Integer overflows into Long
               {int32_t{2147483647}, int16_t{1}, 2147483648.0},
               {uint8_t{1}, uint8_t{2}, uint8_t{3}},
               {uint8_t{200}, uint8_t{100}, int16_t{300}},
               {int16_t{1}, u"2", 3.0},
               {u"1", u"2", u"12"},
               {u"a", Variant(), u"a"},
               {Variant(), u"a", u"a"},
               {Variant(), Variant(), int16_t{0}},
               {Variant(), uint8_t{5}, uint8_t{5}},
               {int16_t{1}, Variant::Null(), Variant::Null()},
               {Variant::Null(), u"a", Variant::Null()},
               {true, true, int16_t{-2}},
               {1.5f, int16_t{1}, 2.5f},
               {1.5f, int32_t{1}, 2.5},  // Single with Long is Double
               {3e38f, 3e38f, 2.0 * 3e38f},  // Single overflows into Double
               {Currency{15000}, int16_t{1}, Currency{25000}},
               {Currency{15000}, 1.0, 2.5},
               {day, int16_t{1}, Date{45297}},
               {int16_t{1}, day, Date{45297}},
               {day, Currency{5000}, Date{45296.5}},
           });
  EXPECT_RAISES(6, Add(Date{2958465}, int16_t{1}));
  EXPECT_RAISES(6, Add(1e308, 1e308));
  EXPECT_RAISES(6, Add(Currency{INT64_MAX}, Currency{1}));
  EXPECT_RAISES(13, Add(u"a", int16_t{1}));
  EXPECT_RAISES(91, Add(Variant::Nothing(), int16_t{1}));
}

TEST(Operators, SubtractAndMultiply) {
  Date day = DateFromParts({2024, 1, 5});
  CheckAll("-", Subtract,
           {
               {day, DateFromParts({2024, 1, 1}), 4.0},
               {day, int16_t{5}, DateFromParts({2023, 12, 31})},
               {int16_t{-32768}, int16_t{1}, int32_t{-32769}},
               {uint8_t{1}, uint8_t{2}, int16_t{-1}},
               {u"5", u"2", 3.0},
               {Variant(), int16_t{1}, int16_t{-1}},
               {Currency{10000}, Currency{1}, Currency{9999}},
           });
  CheckAll("*", Multiply,
           {
               {int16_t{200}, int16_t{200}, int32_t{40000}},
               {int32_t{65536}, int32_t{65536}, 4294967296.0},
               {Currency{15000}, Currency{15000}, Currency{22500}},
               {Currency{1}, Currency{5000}, Currency{0}},  // 0.5 ten-thousandth: to even
               {Currency{3}, Currency{5000}, Currency{2}},
               {Currency{-3}, Currency{5000}, Currency{-2}},
               {Currency{10000}, int16_t{3}, Currency{30000}},
               {day, int16_t{2}, 90592.0},
               {u"1.5", int16_t{2}, 3.0},
               {Variant(), int16_t{7}, int16_t{0}},
           });
  EXPECT_RAISES(6, Multiply(Currency{INT64_MAX}, int16_t{2}));
  EXPECT_RAISES(6, Subtract(DateFromParts({100, 1, 1}), int16_t{1}));
}

TEST(Operators, Divide) {
  CheckAll("/", Divide,
           {
               {int16_t{1}, int16_t{3}, 1.0 / 3},
               {int16_t{7}, int16_t{2}, 3.5},
               {u"6", u"3", 2.0},
               {Currency{10000}, int16_t{4}, 0.25},
               {Variant::Null(), int16_t{1}, Variant::Null()},
           });
  EXPECT_RAISES(11, Divide(int16_t{1}, int16_t{0}));
  EXPECT_RAISES(11, Divide(int16_t{1}, Variant()));
  EXPECT_RAISES(6, Divide(int16_t{0}, 0.0));
  EXPECT_RAISES(6, Divide(1e308, 1e-308));
}

TEST(Operators, IntDivideAndModRoundFirst) {
  CheckAll("\\", IntDivide,
           {
               {int16_t{7}, int16_t{2}, int16_t{3}},
               {int16_t{-7}, int16_t{2}, int16_t{-3}},
               {7.5, int16_t{2}, int32_t{4}},  // 7.5 rounds to 8
               {6.5, int16_t{2}, int32_t{3}},  // 6.5 rounds to 6
               {int32_t{7}, int16_t{2}, int32_t{3}},
               {uint8_t{7}, uint8_t{2}, uint8_t{3}},
               {int16_t{-32768}, int16_t{-1}, int32_t{32768}},
               {u"7", u"2", int32_t{3}},
               {Variant(), int16_t{5}, int16_t{0}},
               {Variant::Null(), int16_t{5}, Variant::Null()},
           });
  CheckAll("Mod", Mod,
           {
               {int16_t{7}, int16_t{3}, int16_t{1}},
               {int16_t{-7}, int16_t{3}, int16_t{-1}},
               {int16_t{7}, int16_t{-3}, int16_t{1}},
               {7.5, int16_t{3}, int32_t{2}},
               {int32_t{100000}, int16_t{7}, int32_t{5}},
               {int16_t{5}, Variant::Null(), Variant::Null()},
           });
  EXPECT_RAISES(11, IntDivide(int16_t{5}, int16_t{0}));
  EXPECT_RAISES(11, IntDivide(int16_t{5}, 0.4));
  EXPECT_RAISES(11, Mod(int16_t{5}, int16_t{0}));
  EXPECT_RAISES(6, IntDivide(int32_t{-2147483647 - 1}, int16_t{-1}));
  EXPECT_RAISES(6, Mod(1e10, int16_t{3}));
  EXPECT_RAISES(13, Mod(u"x", int16_t{3}));
}

}  // namespace
}  // namespace vb
