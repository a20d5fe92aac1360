#include "platform/vb/variant.h"

#include <gtest/gtest.h>

#include "raises.h"

namespace vb {
namespace {

TEST(Variant, TypeNumbers) {
  struct Case {
    Variant value;
    uint16_t type;
  } cases[] = {
      {Variant(), 0},          {Variant::Null(), 1},    {int16_t{1}, 2},        {int32_t{1}, 3},
      {1.0f, 4},               {1.0, 5},                {Currency{1}, 6},       {Date{1}, 7},
      {u"a", 8},               {Variant::Nothing(), 9}, {Variant::Missing(), 10}, {true, 11},
      {uint8_t{1}, 17},        {Array::OfBytes({1}), 8192 + 17},
      {Array::OfVariants({}), 8192 + 12}, {Array(vbString, {{0, 1}}), 8192 + 8},
  };
  for (const auto& c : cases) EXPECT_EQ(c.value.Type(), c.type);
  EXPECT_TRUE(Variant::Missing().IsMissing());
  EXPECT_FALSE(Variant(ErrorCode{5}).IsMissing());
}

TEST(Variant, ArrayBoundsAndSubscripts) {
  // Dim a(1 To 2, 0 To 2): column-major, the first subscript varies fastest.
  Array a(vbVariant, {{1, 2}, {0, 2}});
  EXPECT_EQ(a.Count(), 6u);
  EXPECT_EQ(a.LBound(1), 1);
  EXPECT_EQ(a.UBound(2), 2);
  a.Set({2, 0}, Variant(u"x"));
  EXPECT_EQ(a.Items()[1], Variant(u"x"));
  EXPECT_EQ(a.Get({2, 0}), Variant(u"x"));
  EXPECT_RAISES(9, a.Get({0, 0}));
  EXPECT_RAISES(9, a.Get({1, 3}));
  EXPECT_RAISES(9, a.Get({1}));
  EXPECT_RAISES(9, a.UBound(3));
  EXPECT_RAISES(9, a.LBound(0));
  EXPECT_RAISES(9, Array().UBound());
}

TEST(Variant, TypedArraysConvertWhatTheyStore) {
  Array bytes = Array::OfBytes({0, 0});
  bytes.Set({0}, Variant(int16_t{200}));
  bytes.Set({1}, Variant(u"7"));
  EXPECT_EQ(bytes.Bytes(), (std::vector<uint8_t>{200, 7}));
  EXPECT_RAISES(6, bytes.Set({0}, Variant(int16_t{256})));
  EXPECT_RAISES(13, bytes.Set({0}, Variant(u"x")));

  Array texts(vbString, {{0, 1}});
  EXPECT_EQ(texts.Get({1}), Variant(u""));  // a String array starts with ""
  texts.Set({0}, Variant(int32_t{5}));
  EXPECT_EQ(texts.Get({0}), Variant(u"5"));

  Array variants = Array::OfVariants({Variant()});
  variants.Set({0}, Variant(int32_t{5}));
  EXPECT_EQ(variants.Get({0}), Variant(int32_t{5}));
}

TEST(Variant, RedimPreserveKeepsTheElements) {
  Array a = Array::OfVariants({Variant(u"a"), Variant(u"b")});
  a.RedimPreserve(3);
  EXPECT_EQ(a.UBound(), 3);
  EXPECT_EQ(a.Get({1}), Variant(u"b"));
  EXPECT_TRUE(a.Get({3}).IsEmpty());
  a.RedimPreserve(0);
  EXPECT_EQ(a.Count(), 1u);
  EXPECT_EQ(a.Get({0}), Variant(u"a"));

  Array grid(vbVariant, {{0, 1}, {0, 0}});
  grid.Set({1, 0}, Variant(u"z"));
  grid.RedimPreserve(1);  // the last dimension grows
  EXPECT_EQ(grid.Get({1, 0}), Variant(u"z"));
  EXPECT_TRUE(grid.Get({1, 1}).IsEmpty());
}

}  // namespace
}  // namespace vb
